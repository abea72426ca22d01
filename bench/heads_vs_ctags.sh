#!/bin/sh
# heads_vs_ctags.sh <tree> [FuncHeadWords]: analyses <tree> with default settings and
# FuncHeadWords (default 1), and compares the registered functions (not the function-like
# macros) with universal-ctags' function definitions (--kinds-C=f, .c and .h read as C, .cpp as
# C++) on (file, line, name). Reference definitions on lines of false preprocessor branches by
# the analysis' rules (kelvora_bench_false_lines) are left out. Prints recall and precision and
# the most frequent kinds of misses. BUILD_DIR overrides the build folder (default build-bench);
# KEEP=<folder> keeps the whole lists of misses and extras there (missed.txt, extra.txt).
set -eu

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <tree> [0|1]" >&2
  exit 2
fi
tree=$(cd "$1" && pwd)
words=${2:-1}
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD_DIR:-$src/build-bench}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_BENCH=ON \
  -DKELVORA_GUI=OFF -DKELVORA_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target kelvora-cli kelvora_bench_false_lines >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/home"
printf '[Analysis]\r\nFuncHeadWords=%s\r\n' "$words" >"$out/settings.ini"
# Exit status 3 (structs or tables over the list limit left out, as on the whole kernel) keeps
# every function.
status=0
start=$(date +%s.%N)
KELVORA_HOME="$out/home" "$build/kelvora-cli" analyse --settings "$out/settings.ini" --dump \
  "$tree" >"$out/dump.txt" 2>"$out/errors.txt" || status=$?
end=$(date +%s.%N)
if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then
  echo "kelvora-cli failed:" >&2; cat "$out/errors.txt" >&2; exit 1
fi
echo "analysis with FuncHeadWords=$words: $(echo "$end - $start" | bc) s (wall, with --dump)"
ctags -R --languages=C,C++ --langmap=C:.c.h,C++:.cpp --kinds-C=f --kinds-C++=f --fields=+n \
  -f "$out/tags" "$tree"
awk -F'\t' '$1 == 4 { sub(/\(1\)$/, "", $3); print $3 }' "$out/dump.txt" >"$out/files.txt"
"$build/bench/kelvora_bench_false_lines" <"$out/files.txt" >"$out/false.txt"
python3 "$here/heads_vs_ctags.py" "$out/dump.txt" "$out/tags" "$out/false.txt" "$out/files.txt" \
  ${KEEP:-}
