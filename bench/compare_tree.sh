#!/bin/sh
# compare_tree.sh <tree>: builds kelvora-cli in Release, then times, side by side on the same
# tree, universal-ctags ("ctags -R --languages=C,C++"), an analysis alone ("kelvora-cli analyse"),
# and an analysis followed by the function, struct and table trees ("--write func-tree=...").
# The time of each tree is the one its completion message reports (the write alone, without the
# analysis); peak memory of the second run is compared with the analysis' own.
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

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_GUI=OFF \
  -DKELVORA_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target kelvora-cli >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

wall() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0
    for (i = 1; i <= n; i++) s = s * 60 + p[i]
    printf "%.2f", s }' "$1"
}
peak() { awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$1"; }
# The n-th "所要時間：S.MMM秒" of a message log.
took() { grep -o '所要時間：[0-9]*\.[0-9]*' "$1" | sed -n "$2p" | sed 's/.*：//'; }

/usr/bin/time -v ctags -R --languages=C,C++ -f - "$tree" 2>"$out/ctags.time" >/dev/null ||
  { echo "ctags failed:" >&2; cat "$out/ctags.time" >&2; exit 1; }
mkdir -p "$out/home"
KELVORA_HOME="$out/home" /usr/bin/time -v "$build/kelvora-cli" analyse "$tree" \
  >/dev/null 2>"$out/analyse.time" || { cat "$out/analyse.time" >&2; exit 1; }
KELVORA_HOME="$out/home" /usr/bin/time -v "$build/kelvora-cli" analyse "$tree" \
  --write "func-tree=$out/f.tree" --write "struct-tree=$out/s.tree" \
  --write "table-tree=$out/t.tree" >/dev/null 2>"$out/trees.time" ||
  { cat "$out/trees.time" >&2; exit 1; }

ctags_s=$(wall "$out/ctags.time")
func_s=$(took "$out/trees.time" 1)
printf '%-34s %10s %12s\n' "" "wall (s)" "peak (MB)"
printf '%-34s %10s %12s\n' "ctags -R --languages=C,C++" "$ctags_s" "$(peak "$out/ctags.time")"
printf '%-34s %10s %12s\n' "kelvora-cli analyse" "$(wall "$out/analyse.time")" "$(peak "$out/analyse.time")"
printf '%-34s %10s %12s\n' "analyse + three trees" "$(wall "$out/trees.time")" "$(peak "$out/trees.time")"
printf '%-34s %10s\n' "  function tree write" "$func_s"
printf '%-34s %10s\n' "  struct tree write" "$(took "$out/trees.time" 2)"
printf '%-34s %10s\n' "  table tree write" "$(took "$out/trees.time" 3)"
awk -v f="$func_s" -v c="$ctags_s" 'BEGIN { printf "function tree / ctags: %.2f (target <= 0.5)\n", f / c }'
awk -v a="$(peak "$out/analyse.time")" -v b="$(peak "$out/trees.time")" \
  'BEGIN { printf "peak with trees / analysis peak: %.2f (target <= 1.2)\n", b / a }'
printf "function tree: %s lines\n" "$(wc -l <"$out/f.tree")"
if [ -n "${KEEP_TREE:-}" ]; then cp "$out/f.tree" "$out/s.tree" "$out/t.tree" "$KEEP_TREE"/; fi
