#!/bin/sh
# compare_htags.sh <tree>: builds kelvora-cli in Release, then, on the same tree in one run,
# times GNU Global ("gtags", then "htags -anhIsT --show-position --fixed-guide") against
# "kelvora-cli analyse <tree> --write html=DIR" with the default options and with
# --html-comments, measures the disk usage of both sites and prints the ratios.
# Needs GNU Global (Debian package "global"); it is not part of the test set-up.
# BUILD_DIR overrides the build folder (default: build-bench beside this script's parent);
# KEEP_DIR keeps the outputs there (global/, kelvora/, kelvora-comments/) instead of removing
# them, e.g. to browse the sites afterwards. HTAGS_LIMIT=SECONDS stops htags after that time (on
# a whole kernel it runs for hours on a loaded machine); GNU Global's time and disk are then
# lower bounds ("at least") and the ratios upper bounds ("at most").
set -eu

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <tree>" >&2
  exit 2
fi
command -v gtags >/dev/null && command -v htags >/dev/null ||
  { echo "$0: needs gtags and htags (GNU Global)" >&2; exit 2; }
tree=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD_DIR:-$src/build-bench}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_GUI=OFF \
  -DKELVORA_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target kelvora-cli >/dev/null

if [ -n "${KEEP_DIR:-}" ]; then
  mkdir -p "$KEEP_DIR"
  out=$(cd "$KEEP_DIR" && pwd)
  rm -rf "$out/global" "$out/kelvora" "$out/kelvora-comments" "$out/home" "$out"/*.time
else
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi
mkdir -p "$out/global/db" "$out/global/site" "$out/home"

wall() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0
    for (i = 1; i <= n; i++) s = s * 60 + p[i]
    printf "%.2f", s }' "$1"
}
cpu() { awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f", u + s }' "$1"; }
mb() { du -sk "$1" | awk '{ printf "%.1f", $1 / 1024 }'; }
run() {
  # run NAME COMMAND...: times the command, its output and messages in NAME.time / NAME.log.
  name=$1
  shift
  /usr/bin/time -v "$@" >"$out/$name.log" 2>"$out/$name.time" ||
    { echo "$name failed:" >&2; tail -20 "$out/$name.time" >&2; exit 1; }
}

# gtags and htags read the sources from the tree's own folder; the tag files go to db.
(cd "$tree" && run gtags gtags "$out/global/db")
bound=""
if [ -n "${HTAGS_LIMIT:-}" ]; then
  status=0
  (cd "$tree" && /usr/bin/time -v timeout "$HTAGS_LIMIT" htags -d "$out/global/db" -anhIsT \
    --show-position --fixed-guide "$out/global/site" >"$out/htags.log" 2>"$out/htags.time") ||
    status=$?
  [ "$status" -eq 0 ] || grep -q 'Exit status: 124' "$out/htags.time" ||
    { echo "htags failed:" >&2; tail -20 "$out/htags.time" >&2; exit 1; }
  [ "$status" -eq 0 ] || bound="at least "
else
  (cd "$tree" && run htags htags -d "$out/global/db" -anhIsT --show-position --fixed-guide \
    "$out/global/site")
fi
export KELVORA_HOME="$out/home"
run kelvora "$build/kelvora-cli" analyse "$tree" --write "html=$out/kelvora"
run kelvora-comments "$build/kelvora-cli" analyse "$tree" --html-comments \
  --write "html=$out/kelvora-comments"
# The analysis alone, to tell the site's own share.
run analyse "$build/kelvora-cli" analyse "$tree"

global_s=$(awk -v a="$(wall "$out/gtags.time")" -v b="$(wall "$out/htags.time")" \
  'BEGIN { printf "%.2f", a + b }')
global_cpu=$(awk -v a="$(cpu "$out/gtags.time")" -v b="$(cpu "$out/htags.time")" \
  'BEGIN { printf "%.2f", a + b }')
site_mb=$(mb "$out/global/site")
printf '%-44s %10s %10s %12s\n' "" "wall (s)" "cpu (s)" "disk (MB)"
printf '%-44s %10s %10s %12s\n' "gtags" "$(wall "$out/gtags.time")" "$(cpu "$out/gtags.time")" \
  "$(mb "$out/global/db")"
printf '%-44s %10s %10s %12s\n' "htags -anhIsT --show-position --fixed-guide" \
  "$(wall "$out/htags.time")" "$(cpu "$out/htags.time")" "$site_mb"
printf '%-44s %10s %10s\n' "  gtags + htags" "$global_s" "$global_cpu"
[ -z "$bound" ] || echo "htags stopped after $HTAGS_LIMIT s: its figures are lower bounds"
printf '%-44s %10s %10s\n' "kelvora-cli analyse (no output)" "$(wall "$out/analyse.time")" \
  "$(cpu "$out/analyse.time")"
for k in kelvora kelvora-comments; do
  label="analyse --write html"
  [ "$k" = kelvora-comments ] && label="analyse --html-comments --write html"
  printf '%-44s %10s %10s %12s\n' "$label" "$(wall "$out/$k.time")" "$(cpu "$out/$k.time")" \
    "$(mb "$out/$k")"
done
awk -v k="$(wall "$out/kelvora.time")" -v g="$global_s" \
  -v b="${bound:+at most }" \
  'BEGIN { printf "time  kelvora / global:  %s%.3f wall (target <= 0.2)\n", b, k / g }'
awk -v k="$(cpu "$out/kelvora.time")" -v g="$global_cpu" -v b="${bound:+at most }" \
  'BEGIN { printf "                      %s%.3f cpu\n", b, k / g }'
awk -v k="$(mb "$out/kelvora")" -v g="$site_mb" -v d="$(mb "$out/global/db")" \
  -v b="${bound:+at most }" \
  'BEGIN { printf "disk  kelvora / htags: %s%.3f (target <= 0.1); with the tag files: %.3f\n",
           b, k / g, k / (g + d) }'
awk -v c="$(wall "$out/kelvora-comments.time")" -v d="$(wall "$out/kelvora.time")" \
  -v a="$(wall "$out/analyse.time")" \
  'BEGIN { printf "with comments / default: %.2f whole run, %.2f site part (target <= 2)\n",
           c / d, (c - a) / (d - a) }'
printf "pages: kelvora %s, htags %s\n" "$(find "$out/kelvora" -type f | wc -l)" \
  "$(find "$out/global/site" -type f | wc -l)"
