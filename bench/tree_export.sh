#!/bin/sh
# tree_export.sh <func-tree> <entry> [list-entries]: times the tree outputs of kelvora-cli on a
# function tree file: reading the file alone (the recursion list), the text output and the
# workbook output of ENTRY's call tree, and a workbook of the first LIST-ENTRIES entries (default
# 50) from a list file; prints wall time and peak memory of each. DataMax is raised for the
# run so a whole kernel's tree is read.
# CLI names a kelvora-cli to use; else it is built in Release in BUILD_DIR (default: build-bench
# beside this script's parent).
set -eu

if [ $# -lt 2 ] || [ ! -f "$1" ]; then
  echo "usage: $0 <func-tree> <entry> [list-entries]" >&2
  exit 2
fi
tree=$1
entry=$2
count=${3:-50}
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
if [ -z "${CLI:-}" ]; then
  build=${BUILD_DIR:-$src/build-bench}
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_GUI=OFF \
    -DKELVORA_TESTS=OFF >/dev/null
  cmake --build "$build" -j 2 --target kelvora-cli >/dev/null
  CLI=$build/kelvora-cli
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/home"
printf '[Tree]\nDataMax=2000000\n' >"$out/home/Kelvora.ini"

wall() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0
    for (i = 1; i <= n; i++) s = s * 60 + p[i]
    printf "%.2f", s }' "$1"
}
peak() { awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$1"; }
run() {
  name=$1
  shift
  KELVORA_HOME="$out/home" /usr/bin/time -v "$CLI" tree --settings "$out/home/Kelvora.ini" "$@" \
    >/dev/null 2>"$out/$name.time" || { cat "$out/$name.time" >&2; exit 1; }
}

# The list file: the first entries of the file (lines after a blank line that are no callee).
awk -v n="$count" 'prev == "" && $0 !~ /^\/\// && $0 != "" { sub(/,.*/, ""); print; if (++k == n) exit }
  { sub(/\r$/, ""); prev = $0 }' "$tree" >"$out/list.txt"

run read "$tree" --recursions
run text "$tree" "$entry" --text "$out/tree.txt"
run xlsx "$tree" "$entry" --xlsx "$out/tree.xlsx"
run many "$tree" --xlsx "$out/many.xlsx" --list "$out/list.txt"

printf '%-40s %10s %12s\n' "" "wall (s)" "peak (MB)"
printf '%-40s %10s %12s\n' "read the tree file" "$(wall "$out/read.time")" "$(peak "$out/read.time")"
printf '%-40s %10s %12s\n' "text output of $entry" "$(wall "$out/text.time")" "$(peak "$out/text.time")"
printf '%-40s %10s %12s\n' "workbook output of $entry" "$(wall "$out/xlsx.time")" "$(peak "$out/xlsx.time")"
printf '%-40s %10s %12s\n' "workbook of $(wc -l <"$out/list.txt") listed trees" "$(wall "$out/many.time")" "$(peak "$out/many.time")"
printf 'text output: %s lines, %s bytes; workbook %s bytes; listed workbook %s bytes\n' \
  "$(wc -l <"$out/tree.txt")" "$(wc -c <"$out/tree.txt")" "$(wc -c <"$out/tree.xlsx")" \
  "$(wc -c <"$out/many.xlsx")"
