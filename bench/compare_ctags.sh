#!/bin/sh
# compare_ctags.sh <tree>: builds kelvora-cli in Release, then times universal-ctags and a whole
# analysis with default settings ("kelvora-cli analyse <tree>") over the same tree, and prints
# wall time and peak memory of both and their ratios (ours / ctags; the goal is at most 0.25 for
# the time and 0.33 for the memory). BREAKDOWN=1 also runs the benchmark program that prints
# when each pass finished and the checksum of every registered cell. Before the timings the
# hand-written line matchers are checked against the regex engine on lines of the tree
# (LineMatchers.EqualTheEngineOnKernelLines with KELVORA_KERNEL_TREE=<tree>).
# BUILD_DIR overrides the build folder (default: build-bench beside this script's parent).
set -eu

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <tree>" >&2
  exit 2
fi
tree=$1
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD_DIR:-$src/build-bench}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_BENCH=ON \
  -DKELVORA_GUI=OFF -DKELVORA_TESTS=ON >/dev/null
cmake --build "$build" -j 2 --target kelvora-cli kelvora_bench_analysis test_analysis >/dev/null

# The line matchers against the engine on the measured tree's lines.
KELVORA_KERNEL_TREE="$tree" "$build/tests/test_analysis" \
  --gtest_filter=LineMatchers.EqualTheEngineOnKernelLines --gtest_brief=1 >/dev/null ||
  { echo "the line matchers differ from the engine on $tree" >&2; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Field of /usr/bin/time -v output: wall clock as seconds, peak RSS in MB.
wall() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0
    for (i = 1; i <= n; i++) s = s * 60 + p[i]
    printf "%.2f", s }' "$1"
}
peak() { awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$1"; }
# User and system CPU seconds: on a shared machine the steadier figure of the work done.
cpu() { awk -F': ' '/(User|System) time \(seconds\)/ { s += $2 } END { printf "%.2f", s }' "$1"; }

# "-f /dev/null" makes universal-ctags 5.9 stop early (it cannot truncate /dev/null), so the
# tags go to standard output and from there to /dev/null.
/usr/bin/time -v ctags -R --languages=C,C++ -f - "$tree" 2>"$out/ctags.time" >/dev/null ||
  { echo "ctags failed:" >&2; cat "$out/ctags.time" >&2; exit 1; }
# A fresh settings folder: default settings, and the working files stay out of the way.
mkdir -p "$out/home"
KELVORA_HOME="$out/home" /usr/bin/time -v "$build/kelvora-cli" analyse "$tree" \
  >/dev/null 2>"$out/ours.time" || { echo "kelvora-cli failed:" >&2; cat "$out/ours.time" >&2; exit 1; }

if [ "${BREAKDOWN:-0}" = 1 ]; then
  KELVORA_HOME="$out/home" "$build/bench/kelvora_bench_analysis" "$tree"
  echo
fi
row() { printf '%-22s %10s %12s %10s\n' "$@"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
row "" "wall (s)" "peak (MB)" "cpu (s)"
for who in ctags ours; do
  name="ctags -R"
  [ "$who" = ours ] && name="kelvora-cli analyse"
  row "$name" "$(wall "$out/$who.time")" "$(peak "$out/$who.time")" "$(cpu "$out/$who.time")"
done
row "ratio (ours / ctags)" \
  "$(ratio "$(wall "$out/ours.time")" "$(wall "$out/ctags.time")")" \
  "$(ratio "$(peak "$out/ours.time")" "$(peak "$out/ctags.time")")" \
  "$(ratio "$(cpu "$out/ours.time")" "$(cpu "$out/ctags.time")")"
