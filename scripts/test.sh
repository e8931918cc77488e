#!/usr/bin/env bash
# Installs the dependencies, builds the whole project with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test suite with ctest; then builds the test
# programs that start threads with ThreadSanitizer and runs their tests too.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZOQA_TEST_BUILD_DIR:-$root/build-test}"

"$root/scripts/deps.sh"

# The sanitizer builds optimise at -O1 and keep line tables only: that takes about half the
# compile time of -O2 -g, and a sanitizer's stack trace still names file and line.
san_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")

cmake -S "$root" -B "$build" "${san_flags[@]}" -DZOQA_SANITIZE=ON -DZOQA_BUILD_BENCH=ON
cmake --build "$build" -j "$(nproc)"

# A throwaway PostgreSQL server (initdb + pg_ctl in scripts/pgserver.sh) for the team store's
# tests (both runs below), stopped and removed on exit; each test makes a database of its own.
pg_dir="$(mktemp -d /tmp/zoqa-pg.XXXXXX)"
stop_pg() {
  "$root/scripts/pgserver.sh" stop "$pg_dir" 2>/dev/null || true
  rm -rf "$pg_dir"
}
trap stop_pg EXIT
pg_env="$("$root/scripts/pgserver.sh" start "$pg_dir")"  # a failed start ends the script
eval "$pg_env"
export ZOQA_TEST_PG_CTL="$root/scripts/pgserver.sh"
echo "PostgreSQL test server: ${ZOQA_TEST_PG%%:*}://…@${ZOQA_TEST_PG##*@}"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900

# ThreadSanitizer: a second build of the programs whose tests start threads (and zoqa-cli,
# which they run), with their tests run by ctest. ctest lists the other programs' tests as
# not built; those are left out.
tsan_build="${ZOQA_TSAN_BUILD_DIR:-$root/build-tsan}"
tsan_targets=(test_platform test_harvest test_store test_service test_app test_cli test_gui zoqa-cli zoqa)
cmake -S "$root" -B "$tsan_build" "${san_flags[@]}" -DZOQA_TSAN=ON -DZOQA_SANITIZE=OFF \
  -DZOQA_BUILD_BENCH=OFF
cmake --build "$tsan_build" -j "$(nproc)" --target "${tsan_targets[@]}"
(
  cd "$tsan_build"
  # The single-threaded pattern and extraction tests gain nothing here and take minutes. Qt
  # and GLib are not instrumented: the suppressions leave out only the memory calls their own
  # thread pools make (tests/gui/tsan-qt.supp says more); our code is checked throughout.
  tsan_options="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0"
  TSAN_OPTIONS="$tsan_options:suppressions=$root/tests/gui/tsan-qt.supp" \
    ctest --output-on-failure -j "$(nproc)" --timeout 900 \
    -E '_NOT_BUILT$|^gui_screenshots$|^ContactExtract\.|^RegExp\.|^CodePage'
)

# Fuzz smoke pass: the libFuzzer targets build (clang, build-fuzz/) and run briefly.
"$root/scripts/fuzz.sh" 15
