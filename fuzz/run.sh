#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on)
# and runs each of them for a while on its committed seed corpus.
#
#   fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]     default 60 s, every target
#
#   FUZZ_BUILD   build folder (default build-asan, the tree of `make test-sanitize`, whose
#                configuration this matches, so that nothing is built twice)
#   JOBS         parallel compile jobs (default 2)
#
# New inputs go to $FUZZ_BUILD/fuzz/work/<target>/, never into the source tree. A crash, leak
# or timeout stops the run with a nonzero status and leaves the input in
# $FUZZ_BUILD/fuzz/artifacts/; add it to fuzz/corpus/<target>/ and turn it into a regression
# test once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

per_target=${1:-60}
shift || true
build=${FUZZ_BUILD:-build-asan}
jobs=${JOBS:-2}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DNOVAFLUX_SANITIZE=ON -DNOVAFLUX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target novaflux_fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in fuzz/corpus/*/; do
    t=$(basename "$corpus")
    [ -x "$build/bin/${t}_fuzz" ] && targets+=("$t")
  done
fi

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
mkdir -p "$build/fuzz/artifacts"
for t in "${targets[@]}"; do
  work="$build/fuzz/work/$t"
  mkdir -p "$work"
  echo "== fuzzing $t for ${per_target} s"
  # -timeout: a single input taking this long is a hang. -rss_limit_mb: a runaway allocation.
  "$build/bin/${t}_fuzz" -max_total_time="$per_target" -timeout=20 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz/artifacts/$t-" \
    "$work" "fuzz/corpus/$t" 2>"$build/fuzz/$t.log" || {
    status=$?
    tail -n 60 "$build/fuzz/$t.log"
    echo "fuzz target $t failed (status $status); the input is in $build/fuzz/artifacts/" >&2
    exit "$status"
  }
  grep -E "DONE|^stat::(number_of_executed_units|new_units_added)" "$build/fuzz/$t.log" | sort -u || true
done
