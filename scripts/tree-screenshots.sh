#!/usr/bin/env bash
# Takes the TREE viewer pictures of the user manual from the real program under Xvfb, driven by
# xdotool, on a function tree and a struct tree:
#   xvfb-run -a -s "-screen 0 1400x900x24" scripts/tree-screenshots.sh BUILD_DIR FUNC_TREE \
#       STRUCT_TREE OUT_DIR [FUNCTION] [STRUCT]
# Needs xdotool and ImageMagick. Settings go to a temporary KELVORA_HOME; DataMax is raised there
# so that a whole kernel's function tree fits.
set -euo pipefail
build=$(realpath "$1"); func=$(realpath "$2"); struct=$(realpath "$3"); out=$(realpath "$4")
entry=${5:-start_kernel}; member=${6:-__drm_i915_memory_region_info}
mkdir -p "$out"
export KELVORA_HOME=$(mktemp -d)
trap 'rm -rf "$KELVORA_HOME"' EXIT
printf '[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n' > "$KELVORA_HOME/registry.ini"
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

"$build/kelvora" &
pid=$!
sleep 4
main=$(xdotool search --name "Kelvora" | head -1)
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key ctrl+t; sleep 2
viewer=$(xdotool search --name "TREE -" | head -1)
xdotool windowfocus "$viewer" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$viewer" | sed 's/^/v/')"  # vX vY vWIDTH vHEIGHT
vx=$vX; vy=$vY
body_top=${BODY_TOP:-56}  # menu bar and tool bar

open_tree() {  # path
  xdotool key ctrl+o; sleep 2
  xdotool type --delay 5 "$1"; xdotool key Return
  sleep "${2:-3}"
}
choose_entry() {  # name
  xdotool type --delay 20 "$1"; sleep 1
  xdotool key Return; sleep 1   # "TREE出力Windowに展開しますか？": はい
  xdotool key Return; sleep 2
}

open_tree "$func" 25
choose_entry "$entry"
body_click $((70 + 26 * 2 + 12)) "${ROW2:-55}"       # nest level 3
sleep 3
body_click $((vWIDTH * 20 / 100 + 40)) $((102 - 30 + 8 - body_top + 56))  # the output root
shot tree-function "${vWIDTH}x$((vHEIGHT + 30))+$vx+$((vy - 30))" 3

xdotool key ctrl+Next; sleep 1
open_tree "$struct" 5
choose_entry "$member"
body_click $((70 + 26 * 2 + 12)) "${ROW2:-55}"
sleep 2
body_click $((vWIDTH * 20 / 100 + 40)) $((102 - 30 + 8 - body_top + 56))
shot tree-struct "${vWIDTH}x$((vHEIGHT + 30))+$vx+$((vy - 30))" 2

xdotool key ctrl+f; sleep 2
xdotool type --delay 20 "mutex"
shot tree-search "520x260+$((vx + vWIDTH / 2 - 260))+$((vy + vHEIGHT / 2 - 130))" 1
xdotool key alt+x 2>/dev/null || true
sleep 1
xdotool key alt+F4 2>/dev/null || true
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
