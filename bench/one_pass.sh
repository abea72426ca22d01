#!/bin/sh
# one_pass.sh <tree> [<tree>...]: for each tree, in one script run, RUNS (default 3) times each:
#   ctags -R --languages=C,C++ (the peer), kelvora-cli analyse, and kelvora-cli analyse writing
#   func-tree, struct-tree, table-tree, comments, text-list, step-csv and table-csv;
# then prints each run's wall time and peak memory and the ratios to ctags of the same round:
#   analyse / ctags wall (goal <= 0.10), full run / ctags wall (goal <= 0.25),
#   analyse / ctags peak (goal <= 0.25), full run / ctags peak (goal <= 0.30; the call index
#   counts, it is kept during the whole run).
# Exit status 3 (complete, rows over the registration limits left out) counts as a run.
# CLI names the kelvora-cli to time (default: a Release build in build-bench beside bench/).
set -eu
if [ $# -lt 1 ]; then
  echo "usage: $0 <tree> [<tree>...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
runs=${RUNS:-3}
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

# "wall peak_MB" of a /usr/bin/time -v log.
measure() {
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0
                                         for (i = 1; i <= n; i++) s = s * 60 + p[i] }
              /Maximum resident set size/ { m = $2 / 1024 }
              END { printf "%.2f %.1f", s, m }' "$1"
}

for tree in "$@"; do
  [ -d "$tree" ] || { echo "not a folder: $tree" >&2; exit 2; }
  echo "== $tree  ($CLI)"
  printf '%-5s %9s %8s %9s %8s %9s %8s | %7s %7s %7s %7s\n' run ctags_s MB analyse_s MB full_s MB \
    a/c_wall f/c_wall a/c_mem f/c_mem
  i=1
  while [ "$i" -le "$runs" ]; do
    /usr/bin/time -v ctags -R --languages=C,C++ -f - "$tree" >/dev/null 2>"$out/c.time"
    KELVORA_HOME="$out/home" /usr/bin/time -v "$CLI" analyse "$tree" >/dev/null 2>"$out/a.time" ||
      [ $? -eq 3 ]
    KELVORA_HOME="$out/home" /usr/bin/time -v "$CLI" analyse "$tree" \
      --write "func-tree=$out/f.tree" --write "struct-tree=$out/s.tree" \
      --write "table-tree=$out/t.tree" --write "comments=$out/c.txt" \
      --write "text-list=$out/l.txt" --write "step-csv=$out/s.csv" \
      --write "table-csv=$out/t.csv" >/dev/null 2>"$out/f.time" || [ $? -eq 3 ]
    c=$(measure "$out/c.time")
    a=$(measure "$out/a.time")
    f=$(measure "$out/f.time")
    echo "$i $c $a $f" | awk '{ printf "%-5s %9.2f %8.1f %9.2f %8.1f %9.2f %8.1f | %7.3f %7.3f %7.3f %7.3f\n",
      $1, $2, $3, $4, $5, $6, $7, $4 / $2, $6 / $2, $5 / $3, $7 / $3 }'
    i=$((i + 1))
  done
done
