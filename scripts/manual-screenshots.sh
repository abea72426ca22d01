#!/usr/bin/env bash
# Takes the screenshots of the user manual from the real program under Xvfb, driven by xdotool:
#   xvfb-run -a -s "-screen 0 1280x900x24" scripts/manual-screenshots.sh BUILD_DIR SOURCE_TREE OUT_DIR
# Needs xdotool and ImageMagick. Settings go to a temporary KELVORA_HOME.
set -euo pipefail
build=$(realpath "$1"); tree=$(realpath "$2"); out=$(realpath "$3")
mkdir -p "$out"
export KELVORA_HOME=$(mktemp -d)
trap 'rm -rf "$KELVORA_HOME"' EXIT
printf '[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n[Software\\Kelv\\Config]\r\nEditorPath=/usr/bin/gvim\r\nEditorOption=+\r\n' \
  > "$KELVORA_HOME/registry.ini"
"$build/kelvora-cli" analyse --write func-tree="$KELVORA_HOME/func.tree" "$tree" 2>/dev/null || true

shot() {  # name [geometry]
  sleep "${3:-1}"
  import -window root "$KELVORA_HOME/full.png"
  convert "$KELVORA_HOME/full.png" -crop "${2:-1280x900+0+0}" +repage "$out/$1.png"
}

"$build/kelvora" &
pid=$!
sleep 3
win=$(xdotool search --name "RarUviz" | head -1)
shot main-nodata 340x152+0+0 0
xdotool windowfocus "$win" 2>/dev/null || true
xdotool key --window "$win" alt+a; sleep 2
xdotool type --delay 10 "$tree"; xdotool key Return; sleep 2
xdotool key Return; sleep 1          # subfolders: はい
xdotool key Return; sleep 10         # the confirmation: はい, then the run
shot main-data 340x152+0+0 0
xdotool mousemove 40 84 click 1      # "関数" in MENU mode: the paged browse menu
shot menu 1280x700+0+0
xdotool key Escape; sleep 1
xdotool mousemove 300 110 click 3    # the context menu
shot context 700x900+0+0
xdotool key Escape; sleep 1
xdotool key --window "$win" ctrl+p   # the settings sheet, editor page
shot settings-editor 800x700+0+0 2
xdotool key Escape; sleep 1
xdotool key --window "$win" ctrl+m   # system information
shot system-info 700x400+0+0 2
xdotool key alt+F4 2>/dev/null || true
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
