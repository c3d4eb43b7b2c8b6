#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
"$root/scripts/check-format.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j2
# The record file reader under the fuzzer for a minute: no crash, no sanitizer finding, no hang.
"$root/scripts/fuzz.sh" 60
