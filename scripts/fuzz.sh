#!/usr/bin/env bash
# Fuzzes the record file reader with libFuzzer (clang's -fsanitize=fuzzer) under AddressSanitizer
# and UndefinedBehaviorSanitizer, starting from the seed files in tests/fuzz/seeds.
# Usage: scripts/fuzz.sh [seconds]   (default 60). New inputs it finds are kept in build-fuzz/corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
  echo "fuzz.sh: clang++ is needed (packages clang and libclang-rt-14-dev)" >&2
  exit 1
fi

out="$root/build-fuzz"
mkdir -p "$out/corpus"
# The reader needs Qt Core only; it is compiled here on its own so that the rest of the program
# does not have to be built with clang. The measurement it fills is a QObject: its moc output first.
moc=$(pkg-config --variable=libexecdir Qt6Core)/moc
"$moc" "$root/src/measurement/Measurement.h" -o "$out/moc_Measurement.cpp"
"$moc" "$root/src/measurement/RecordListModel.h" -o "$out/moc_RecordListModel.cpp"
# shellcheck disable=SC2046
"$cxx" -std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/src" -I"$root/tests" $(pkg-config --cflags Qt6Core) \
  "$root/tests/fuzz/fuzz_record_reader.cpp" \
  "$root/src/measurement/MeasurementReader.cpp" \
  "$root/src/measurement/Measurement.cpp" \
  "$root/build-fuzz/moc_Measurement.cpp" \
  "$root/src/measurement/Sample.cpp" \
  "$root/src/measurement/LevelFigures.cpp" \
  "$root/src/measurement/LnClasses.cpp" \
  "$root/src/measurement/RecordListModel.cpp" \
  "$root/build-fuzz/moc_RecordListModel.cpp" \
  "$root/src/measurement/RecordFileFormat.cpp" \
  "$root/src/shared/TextHelpers.cpp" \
  $(pkg-config --libs Qt6Core) -o "$out/fuzz_record_reader"

# Inputs up to a little over two of the longest accepted lines reach the over-long line checks.
"$out/fuzz_record_reader" -max_total_time="$seconds" -max_len=140000 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$out/corpus" "$root/tests/fuzz/seeds"
