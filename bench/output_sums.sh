#!/bin/sh
# output_sums.sh <kelvora-cli> <tree>: one analysis of <tree> writing every output of the command
# line except html, then the checksum of each output and of the --dump text, one per line, so that
# two builds can be compared byte for byte ("diff" of two runs' lines).
set -eu
if [ $# -ne 2 ] || [ ! -d "$2" ]; then
  echo "usage: $0 <kelvora-cli> <tree>" >&2
  exit 2
fi
cli=$1
tree=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/home"
KELVORA_HOME="$out/home" "$cli" analyse "$tree" --dump \
  --write "func-tree=$out/func.tree" --write "struct-tree=$out/struct.tree" \
  --write "table-tree=$out/table.tree" --write "comments=$out/comments.txt" \
  --write "text-list=$out/text-list.txt" --write "step-csv=$out/step.csv" \
  --write "table-csv=$out/table.csv" >"$out/dump.txt" 2>"$out/messages.txt" || rc=$?
# 3: complete but something was left out (rows over the registration limits), said in messages.
if [ "${rc:-0}" -ne 0 ] && [ "${rc:-0}" -ne 3 ]; then
  cat "$out/messages.txt" >&2
  exit 1
fi
cd "$out"
# The messages carry times and this run's folder, the text list and the step CSV the time of
# the run in their first lines: those are left out of the comparison.
grep -v '所要時間' messages.txt | sed "s#$out#OUT#g" >messages.fixed || true
for f in text-list.txt step.csv; do
  sed -E '1,3s#[0-9]{2}:[0-9]{2}:[0-9]{2}#HH:MM:SS#; 1,3s#[0-9]{4}/[0-9]{2}/[0-9]{2}#YYYY/MM/DD#' \
    "$f" >"$f.fixed" && mv "$f.fixed" "$f"
done
if [ -n "${KEEP_OUTPUTS:-}" ]; then mkdir -p "$KEEP_OUTPUTS" && cp ./*.* "$KEEP_OUTPUTS"/; fi
sha256sum dump.txt func.tree struct.tree table.tree comments.txt text-list.txt step.csv \
  table.csv messages.fixed
