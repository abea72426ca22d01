#!/usr/bin/env bash
# Takes the TREE viewer pictures of the user manual from the real program under Xvfb, driven by
# xdotool, on a function tree and a struct tree:
#   xvfb-run -a -s "-screen 0 1400x900x24" scripts/tree-screenshots.sh BUILD_DIR FUNC_TREE \
#       STRUCT_TREE OUT_DIR [FUNCTION] [STRUCT]
# Needs xdotool and ImageMagick. Settings go to a temporary KELVORA_HOME; DataMax is raised there
# so that a whole kernel's function tree fits.
set -euo pipefail
build=$(realpath "$1"); func=$(realpath "$2"); struct=$(realpath "$3"); out=$(realpath "$4")
entry=${5:-a_clr_err_store}; member=${6:-__drm_i915_memory_region_info}
mkdir -p "$out"
export KELVORA_HOME=$(mktemp -d)
trap 'rm -rf "$KELVORA_HOME"' EXIT
# The file dialog offers *.tree files; the page tabs show the base names.
ln -s "$func" "$KELVORA_HOME/${FUNC_NAME:-linux-6.1_functions}.tree"
ln -s "$struct" "$KELVORA_HOME/${STRUCT_NAME:-linux-6.1_structs}.tree"
func="$KELVORA_HOME/${FUNC_NAME:-linux-6.1_functions}.tree"
struct="$KELVORA_HOME/${STRUCT_NAME:-linux-6.1_structs}.tree"
printf '[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n[Software\\Kelv\\Config]\r\nEditorPath=/usr/bin/gvim\r\nEditorOption=+\r\n' \
  > "$KELVORA_HOME/registry.ini"
printf '[Tree]\r\nDataMax=1000000\r\n[Window]\r\ntree_left=8\r\ntree_top=8\r\ntree_right=1392\r\ntree_bottom=892\r\n' \
  > "$KELVORA_HOME/Kelvora.ini"

shot() {  # name geometry [wait]
  sleep "${3:-1}"
  import -window root "$KELVORA_HOME/full.png"
  convert "$KELVORA_HOME/full.png" -crop "$2" +repage "$out/$1.png"
}
# Clicks a point of the viewer's central area (below its menu bar and tool bar).
body_click() {
  xdotool mousemove $((vx + $1)) $((vy + body_top + $2)) click 1
}

find_window() {  # title part: waits up to 30 s for a visible window
  local id
  for _ in $(seq 30); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 1
  done
  echo "no window \"$1\"" >&2
  exit 1
}

"$build/kelvora" &
pid=$!
main=$(find_window "Kelvora")
sleep 4
viewer=
for _ in 1 2 3; do  # Ctrl+T until the viewer shows
  xdotool windowfocus "$main" 2>/dev/null || true
  xdotool key --window "$main" ctrl+t; sleep 4
  viewer=$(xdotool search --onlyvisible --name "TREE -" 2>/dev/null | head -1 || true)
  [ -n "$viewer" ] && break
done
[ -n "$viewer" ] || { echo "the viewer did not open" >&2; exit 1; }
xdotool windowfocus "$viewer" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$viewer" | sed 's/^/v/')"  # vX vY vWIDTH vHEIGHT
vx=$vX; vy=$vY
body_top=${BODY_TOP:-56}  # menu bar and tool bar

typekeys() {  # letters, digits, "_", "." and "-", one key each
  local i c
  for ((i = 0; i < ${#1}; i++)); do
    c=${1:i:1}
    case $c in _) c=underscore ;; .) c=period ;; -) c=minus ;; esac
    xdotool key --delay 60 "$c"
  done
}
open_tree() {  # row of the file in the dialog's list (its folder holds just the two trees), wait
  # A double click on the file: typed names lose keys to the name completer.
  xdotool key ctrl+o; sleep 3
  xdotool mousemove 180 $((71 + 18 * ($1 - 1))) click --repeat 2 --delay 80 1
  sleep "${2:-3}"
}
choose_entry() {  # name
  sleep 2
  xdotool windowfocus "$viewer" 2>/dev/null || true
  sleep 1
  xdotool key shift  # the first key after the file dialog does not reach the list
  typekeys "$1"; sleep 2
  xdotool key Return; sleep 3   # "TREE出力Windowに展開しますか？": はい
  xdotool key Return; sleep 3
}

open_tree 1 25
choose_entry "$entry"
body_click $((70 + 26 * 2 + 12)) "${ROW2:-46}"       # nest level 3
sleep 3
body_click $((vWIDTH * 20 / 100 + 40)) "${ROOT_Y:-72}"  # the output root
sleep 3
for _ in 1 2 3 4; do  # the graph's font angle (tool bar 1): 60 degrees
  xdotool mousemove $((vx + ${ANGLE_X:-304})) $((vy + ${ANGLE_Y:-32})) click 1; sleep 0.3
done
shot tree-function "${vWIDTH}x${vHEIGHT}+$vx+$vy" 3

xdotool key ctrl+Next; sleep 1
open_tree 2 5
choose_entry "$member"
body_click $((70 + 26 * 2 + 12)) "${ROW2:-46}"
sleep 2
body_click $((vWIDTH * 20 / 100 + 40)) "${ROOT_Y:-72}"
shot tree-struct "${vWIDTH}x${vHEIGHT}+$vx+$vy" 2

xdotool key ctrl+f; sleep 2
typekeys "${WORD:-union}"
dialog=$(find_window "TREE出力Window内")
eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/d/')"
shot tree-search "${dWIDTH}x${dHEIGHT}+$dX+$dY" 1
xdotool key alt+x 2>/dev/null || true
sleep 1
xdotool key alt+F4 2>/dev/null || true
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
