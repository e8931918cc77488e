#!/usr/bin/env bash
# Installs the dependencies, makes an optimised build and starts the desktop program zoqa.
# The program makes its directory, settings file and empty database on its first start, and
# puts a launcher on the user's desktop and in the applications menu.
# With arguments it runs zoqa-cli with them instead (scripts/run.sh list --json).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-release"

"$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOQA_BUILD_TESTS=OFF \
  -DZOQA_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target zoqa zoqa-cli > /dev/null

cli="$build/src/cli/zoqa-cli"
if [ $# -gt 0 ]; then
  exec "$cli" "$@"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<TEXT
zoqa is a desktop program and needs a display (DISPLAY or WAYLAND_DISPLAY is not set).
Without one, use the command-line program with the same store and engine:
  $cli run --max-seconds 600 "广州 电子公司"
  $cli companies "广州 电子公司"
  $cli export "广州 电子公司" companies.txt --format txt
scripts/run.sh ARGS... runs it for you. Its commands:
TEXT
  "$cli" 2>&1 || true
  exit 0
fi
exec "$build/src/zoqa/zoqa"
