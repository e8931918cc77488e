#!/usr/bin/env bash
# Installs the dependencies, makes an optimised build and starts the program. Until the
# desktop window exists this runs zoqa-cli: its usage without arguments, else the command.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-release"

"$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOQA_BUILD_TESTS=OFF \
  -DZOQA_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target zoqa-cli > /dev/null

if [ $# -eq 0 ]; then
  "$build/src/cli/zoqa-cli" 2>&1 || true
  exit 0
fi
exec "$build/src/cli/zoqa-cli" "$@"
