#!/usr/bin/env bash
# Installs the dependencies, builds the whole project with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test suite with ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZOQA_TEST_BUILD_DIR:-$root/build-test}"

"$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOQA_SANITIZE=ON \
  -DZOQA_BUILD_BENCH=ON
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900

# Fuzz smoke pass: the libFuzzer targets build (clang, build-fuzz/) and run briefly.
"$root/scripts/fuzz.sh" 15
