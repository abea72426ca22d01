#!/usr/bin/env bash
# Builds the fuzz targets (clang, address and undefined-behaviour sanitizers) and runs each one
# in turn for the given number of seconds (default 60, at most 10 M executions) at the lowest
# priority.
#   fuzz/run.sh [seconds] [target...]      targets default to all of fuzz/*.cpp
# Seeds come from fuzz/corpus/<target>/; what a run adds goes to <build>/corpus/<target>/ and
# is kept for the next run. A crash, a failed property, a leak or a hang (over 10 s on one
# input) is saved to <build>/artifacts/ and makes the script exit with status 1 once every
# target has run. KELVORA_FUZZ_BUILD names the build folder (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=${KELVORA_FUZZ_BUILD:-build/fuzz}
jobs=$(nproc 2>/dev/null || echo 2)

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DKELVORA_FUZZ=ON -DKELVORA_GUI=OFF -DKELVORA_TESTS=OFF >/dev/null
nice -n 19 cmake --build "$build" -j "$jobs" --target fuzz_all

mkdir -p "$build/artifacts"
failed=()
for t in "${targets[@]}"; do
  bin="$build/fuzz/fuzz_$t"
  [ -x "$bin" ] || { echo "no fuzz target $t" >&2; failed+=("$t"); continue; }
  work="$build/corpus/$t"
  mkdir -p "$work"
  seeds=()
  [ -d "fuzz/corpus/$t" ] && seeds=("fuzz/corpus/$t")
  log="$build/artifacts/$t.log"
  echo "== $t: ${seconds} s"
  if UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     nice -n 19 "$bin" "$work" "${seeds[@]}" -max_total_time="$seconds" -runs=10000000 -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
       >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$log" | tail -2
  else
    echo "FAILED: $t (log $log)"
    grep -E "ERROR|property failed|Test unit written|SUMMARY" "$log" | head -5
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets with findings: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz targets clean: ${targets[*]}"
