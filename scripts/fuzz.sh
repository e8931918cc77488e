#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan) in build-fuzz/ and runs each
# for SECONDS (default 60), or only the TARGETs named. New inputs go to build-fuzz/corpus/,
# crashing inputs to build-fuzz/artifacts/; the seed corpora in fuzz/corpus/ are only read.
# Exits non-zero at the first target that finds a fault. A unit may take up to 60 s: a
# pattern with catastrophic backtracking runs until the engine's match limit ends it, which
# takes several seconds with the sanitizers and more on a loaded machine.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZOQA_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-60}"
shift $(( $# > 0 ? 1 : 0 ))

"$root/scripts/deps.sh"

# -O1 with line tables, as the sanitizer builds of scripts/test.sh: quicker to build, and a
# fault's stack trace still names file and line.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZOQA_BUILD_FUZZ=ON \
  -DZOQA_BUILD_TESTS=OFF -DZOQA_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
if command -v llvm-symbolizer-14 > /dev/null; then
  export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer-14)"
fi
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target" "$build/artifacts" "$build/logs"
  log="$build/logs/$target.log"
  echo "== $target: ${seconds}s (log: $log)"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$target" "$root/fuzz/corpus/$target" > "$log" 2>&1; then
    tail -n 80 "$log" >&2
    echo "$target found a fault; the input is in $build/artifacts/" >&2
    exit 1
  fi
  # The last status line (executions, coverage, features, corpus) and the final counters.
  grep -E '^#[0-9]+' "$log" | tail -n 1
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | tr '\n' ' '
  echo
done
echo "fuzz: ${#targets[@]} passed, 0 failed"
