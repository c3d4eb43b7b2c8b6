#!/usr/bin/env bash
# Fails when a source file strays from the project's .clang-format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
find src tests bench tools -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run -Werror
