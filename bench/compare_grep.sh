#!/bin/sh
# compare_grep.sh [<tree>]: builds kelvora_bench_grep in Release, then times side by side over the
# *.c, *.cpp and *.h files of the tree (default /work/linux-6.1):
#   - the "#if" search against grep -rnE '^[ \t]*#if'
#   - the assignment search for NAME (default "ret") against grep -rnE with the same pattern
#   - the conditional-region removal of the tree's kernel/*.c sources, concatenated into one
#     file, against unifdef -k (lines per second)
# Each line gives wall and CPU (user + system) seconds; the ratios are ours / grep and
# ours / unifdef. Both sides read the same files, so run it twice for a warm page cache.
# NAME=... picks the variable; BUILD_DIR overrides the build folder (default build-bench).
set -eu

tree=${1:-/work/linux-6.1}
if [ ! -d "$tree" ]; then
  echo "usage: $0 [<tree>]" >&2
  exit 2
fi
name=${NAME:-ret}
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD_DIR:-$src/build-bench}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_BENCH=ON \
  -DKELVORA_GUI=OFF -DKELVORA_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target kelvora_bench_grep >/dev/null
bench="$build/bench/kelvora_bench_grep"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
tab=$(printf '\t')

# Runs a command with its output discarded; prints "wall cpu" in seconds.
timed() {
  /usr/bin/time -f "%e %U %S" -o "$out/t" "$@" >"$out/stdout" 2>/dev/null || true
  tail -n 1 "$out/t" | awk '{ printf "%.2f %.2f", $1, $2 + $3 }'
}
row() {  # label ours_wall ours_cpu ref_wall ref_cpu
  awk -v l="$1" -v ow="$2" -v oc="$3" -v rw="$4" -v rc="$5" 'BEGIN {
    printf "%-30s %8.2f %8.2f %8.2f %8.2f %7.2fx %7.2fx\n", l, ow, oc, rw, rc,
      (rw > 0 ? ow / rw : 0), (rc > 0 ? oc / rc : 0) }'
}

printf '%-30s %8s %8s %8s %8s %8s %8s\n' "" "wall" "cpu" "ref wall" "ref cpu" "wall" "cpu"

cd "$out"
set -- $(timed "$bench" grep "$tree" if)
hits=$(cat "$out/stdout")
set -- "$@" $(timed grep -rnE --include='*.c' --include='*.cpp' --include='*.h' \
  "^[ $tab]*#if" "$tree")
row "#if search / grep -rnE" "$@"
echo "  ours: $hits; grep: $(grep -rnE --include='*.c' --include='*.cpp' --include='*.h' \
  "^[ $tab]*#if" "$tree" | wc -l) lines (grep also reports #if 0 regions, comments, literals)"

pattern="$name[ $tab]*((\\[[_A-Za-z0-9*&]*\\])*)?[ $tab]*[+*/%&^~|]?[-]?=[ ${tab}A-Za-z0-9_*&('\"]"
set -- $(timed "$bench" grep "$tree" "assign:$name")
hits=$(cat "$out/stdout")
set -- "$@" $(timed grep -rnE --include='*.c' --include='*.cpp' --include='*.h' "$pattern" "$tree")
row "assign:$name / grep -rnE" "$@"
echo "  ours: $hits"

find "$tree/kernel" -name '*.c' | sort | xargs cat >"$out/kernel_all.c"
lines=$(wc -l <"$out/kernel_all.c")
set -- $(timed "$bench" strip "$out/kernel_all.c")
set -- "$@" $(timed unifdef -k "$out/kernel_all.c")
row "strip-if / unifdef -k" "$@"
awk -v n="$lines" -v ow="$1" -v oc="$2" -v rw="$3" -v rc="$4" 'BEGIN {
  printf "  %d lines: ours %.0f lines/s wall (%.0f cpu), unifdef %.0f lines/s wall (%.0f cpu): %.1fx\n",
    n, n / ow, n / oc, n / rw, n / rc, rw / ow }'
