#!/usr/bin/env bash
# Installs the dependencies, makes an optimised build and starts the program. Until the
# desktop window exists this prints zoqa-cli's usage; extra arguments go to zoqa-cli.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-release"

"$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOQA_BUILD_TESTS=OFF \
  -DZOQA_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null

exec "$build/src/cli/zoqa-cli" "$@"
