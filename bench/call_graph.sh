#!/bin/sh
# call_graph.sh <func-tree> [runs]: times call graphs drawn to SVG by kelvora-cli on a function
# tree file (made with FuncHeadWords=1 so that header functions such as kmalloc are known):
# start_kernel's callees to depth 3 and kmalloc's callers to depth 2, each RUNS times (default
# 3), against reading the tree file alone (the recursion list). Prints the median wall time of
# each, the median drawing time (the command less the read), the graph's size and the load
# average. DataMax is raised for the run so a whole kernel's tree is read.
#
# The whole kernel's tree, written once and kept between runs:
#   printf '[Analysis]\nFuncHeadWords=1\n[Tree]\nDataMax=2000000\n' >S.ini
#   kelvora-cli analyse --settings S.ini --write func-tree=kernel.tree /work/linux-source-6.1
#
# Then, when BENCH names kelvora_bench_call_graph (or it is built in BUILD_DIR), the figures of
# the viewer, whose page is already read: building, layout and SVG of the same graphs, for the
# first entry of each name (as the command line takes it) and for init/main.c's start_kernel and
# include/linux/slab.h's kmalloc.
#
# CLI names a kelvora-cli to use; else it is built in Release in BUILD_DIR (default: build-bench
# beside this script's parent). START_CALLEES and START_CALLERS change the two functions.
set -eu

if [ $# -lt 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 <func-tree> [runs]" >&2
  exit 2
fi
tree=$1
runs=${2:-3}
callees=${START_CALLEES:-start_kernel}
callers=${START_CALLERS:-kmalloc}
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
if [ -z "${CLI:-}" ]; then
  build=${BUILD_DIR:-$src/build-bench}
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_GUI=OFF \
    -DKELVORA_TESTS=OFF -DKELVORA_BENCH=ON >/dev/null
  cmake --build "$build" -j 2 --target kelvora-cli kelvora_bench_call_graph >/dev/null
  CLI=$build/kelvora-cli
  BENCH=${BENCH:-$build/bench/kelvora_bench_call_graph}
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/home"
printf '[Tree]\nDataMax=2000000\n' >"$out/home/Kelvora.ini"

# One timed run: its wall time in seconds on standard output. Exit 3 (the node budget left
# functions out) is a drawn graph too.
timed() {
  name=$1
  shift
  start=$(date +%s.%N)
  rc=0
  KELVORA_HOME="$out/home" "$CLI" tree --settings "$out/home/Kelvora.ini" "$@" \
    >"$out/$name.out" 2>"$out/$name.err" || rc=$?
  end=$(date +%s.%N)
  if [ "$rc" -ne 0 ] && [ "$rc" -ne 3 ]; then
    cat "$out/$name.err" >&2
    exit 1
  fi
  echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", v[int((NR + 1) / 2)] }'; }

i=0
while [ "$i" -lt "$runs" ]; do
  timed read "$tree" --recursions >>"$out/read.t"
  timed callees "$tree" "$callees" --svg "$out/callees.svg" --depth 3 >>"$out/callees.t"
  timed callers "$tree" "$callers" --svg "$out/callers.svg" --direction callers --depth 2 \
    >>"$out/callers.t"
  i=$((i + 1))
done

read_s=$(median <"$out/read.t")
nodes() { grep -c 'class="node' "$1"; }
edges() { grep -c 'class="edge' "$1"; }
row() {
  total=$(median <"$out/$2.t")
  printf '%-36s %9s %9s %6s %6s\n' "$1" "$total" \
    "$(echo "$total $read_s" | awk '{ printf "%.2f", $1 - $2 }')" \
    "$(nodes "$out/$2.svg")" "$(edges "$out/$2.svg")"
}
printf 'median of %s runs; tree file %s bytes\n' "$runs" "$(wc -c <"$tree")"
printf '%-36s %9s %9s %6s %6s\n' "" "wall (s)" "draw (s)" "nodes" "edges"
printf '%-36s %9s\n' "read the tree file alone" "$read_s"
row "$callees callees, depth 3, SVG" callees
row "$callers callers, depth 2, SVG" callers
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

if [ -n "${BENCH:-}" ] && [ -x "$BENCH" ]; then
  echo
  echo "in the viewer (the tree file already read):"
  KELVORA_HOME="$out/home" "$BENCH" "$tree" "$runs" "callees:$callees@init/main.c:3" \
    "callers:$callers@include/linux/slab.h:2" "callees:$callees:3" "callers:$callers:2"
  printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
fi
