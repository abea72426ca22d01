#!/bin/sh
# html_links.sh <tree> [FuncHeadWords]: analyses <tree> with default settings (and
# FuncHeadWords, default 0), writes its HTML site and checks every link of it with
# tests/output/check_site_links.py: links to missing pages, to missing anchors, anchors a page
# holds more than once. Prints the counts, the time of the site and examples of each fault.
# CLI=path runs that kelvora-cli instead of building one (to compare two builds); BUILD_DIR
# overrides the build folder (default build-bench).
set -eu

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <tree> [0|1]" >&2
  exit 2
fi
tree=$(cd "$1" && pwd)
words=${2:-0}
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
if [ -z "${CLI:-}" ]; then
  build=${BUILD_DIR:-$src/build-bench}
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_BENCH=ON \
    -DKELVORA_GUI=OFF -DKELVORA_TESTS=OFF >/dev/null
  cmake --build "$build" -j 2 --target kelvora-cli >/dev/null
  CLI=$build/kelvora-cli
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/home" "$out/site"
printf '[Analysis]\r\nFuncHeadWords=%s\r\n' "$words" >"$out/settings.ini"
start=$(date +%s)
# Exit status 3: complete, with structs or tables over the list limit ("DataMax") left out,
# as on the whole kernel; the site is written all the same.
status=0
KELVORA_HOME="$out/home" "$CLI" analyse --settings "$out/settings.ini" "$tree" \
  --write "html=$out/site" >/dev/null 2>"$out/errors.txt" || status=$?
if [ "$status" -eq 3 ]; then
  head -c 400 "$out/errors.txt"; echo
elif [ "$status" -ne 0 ]; then
  echo "kelvora-cli failed:" >&2; cat "$out/errors.txt" >&2; exit 1
fi
echo "analysis and site: $(( $(date +%s) - start )) s"
python3 "$src/tests/output/check_site_links.py" "$out/site" --show "${SHOW:-5}"
