#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/ (or $1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
"$root/scripts/install-deps.sh"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ -f "$build/CMakeCache.txt" ]; then generator=(); fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
