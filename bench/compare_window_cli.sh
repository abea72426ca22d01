#!/bin/bash
# compare_window_cli.sh [<tree>]: times one analysis of the tree (default
# /work/linux-6.1/drivers/net) through `kelvora-cli analyse` and through the real main window
# under xvfb-run, driven with xdotool as a user would: Alt+A opens the folder chooser, the path is
# typed, Return chooses it, and Return answers each question with its default "Yes".
# Both runs start from a settings folder (KELVORA_HOME) with the default settings; the window's
# holds a run count, as a returning user's does. The window run is timed from the
# Return in the folder chooser to the appearance of the completion box; its CPU time is the
# process's user + system time over the same span. Run it twice for a warm page cache; on a shared
# machine repeat it (RUNS=n) and compare the best figures.
# BUILD_DIR picks the build folder (default build/release, which must hold kelvora and
# kelvora-cli).
set -eu

inside_x=""
if [ "${1:-}" = "--inside-x" ]; then  # the window run, started again under xvfb-run
  inside_x=1
  shift
fi
tree=${1:-/work/linux-6.1/drivers/net}
if [ ! -d "$tree" ]; then
  echo "usage: $0 [<tree>]" >&2
  exit 2
fi
tree=$(cd "$tree" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD_DIR:-$src/build/release}
runs=${RUNS:-1}
for exe in kelvora kelvora-cli; do
  if [ ! -x "$build/$exe" ]; then
    echo "$0: $build/$exe not built" >&2
    exit 2
  fi
done

work=${WORK:-}
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
ticks=$(getconf CLK_TCK)

# User + system ticks of a process.
cpu_ticks() {
  awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0
}
now() {
  date +%s.%N
}

cli_run() {
  rm -rf "$work/cli" && mkdir -p "$work/cli"
  KELVORA_HOME="$work/cli" /usr/bin/time -f "%e %U %S" -o "$work/cli.time" \
    "$build/kelvora-cli" analyse "$tree" >/dev/null 2>"$work/cli.err" || {
    cat "$work/cli.err" >&2
    exit 1
  }
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/cli.time"
}

# The window run, inside the X server that xvfb-run started.
window_run() {
  rm -rf "$work/gui" && mkdir -p "$work/gui"
  # A returning user: no first-run greeting and no settings sheet at start.
  printf '[Software\\Kelv\\RunInf]\nRunCnt=1\n' >"$work/gui/registry.ini"
  KELVORA_HOME="$work/gui" "$build/kelvora" >/dev/null 2>"$work/gui.err" &
  local pid=$!
  local main
  main=$(xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
  sleep 1
  xdotool windowfocus --sync "$main"
  xdotool key alt+a
  # The folder chooser: a second visible window of the process.
  local chooser=""
  while [ -z "$chooser" ]; do
    sleep 0.05
    chooser=$(xdotool search --onlyvisible --pid "$pid" | grep -vx "$main" | head -n 1 || true)
  done
  xdotool windowfocus --sync "$chooser"
  sleep 0.3
  xdotool type --delay 2 "$tree"
  sleep 0.3
  local start start_cpu
  start=$(now)
  start_cpu=$(cpu_ticks "$pid")
  xdotool key Return
  # Every box that appears gets Return (the questions' default "Yes"). The run has ended when no
  # box is open and the process has used no CPU for two seconds; its end is the last poll that
  # saw the process busy (or the last box, if later).
  local end="$start" end_cpu="$start_cpu" boxes=0 idle=0 cur box
  while [ "$idle" -lt 40 ]; do
    sleep 0.05
    box=$(xdotool search --onlyvisible --pid "$pid" | grep -vx "$main" | head -n 1 || true)
    if [ -n "$box" ]; then
      boxes=$((boxes + 1))
      sleep 0.1
      if [ "$boxes" -gt 2 ]; then  # a box of the run itself (its end, a DataMax note)
        end=$(now)
        end_cpu=$(cpu_ticks "$pid")
      fi
      xdotool windowfocus --sync "$box" key Return || true
      if [ "$boxes" -le 2 ]; then  # the subfolder question and the confirmation
        start=$(now)
        start_cpu=$(cpu_ticks "$pid")
        end=$start
        end_cpu=$start_cpu
      fi
      idle=0
      continue
    fi
    cur=$(cpu_ticks "$pid")
    if [ "$cur" -gt "$end_cpu" ]; then
      end=$(now)
      end_cpu=$cur
      idle=0
    else
      idle=$((idle + 1))
    fi
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v s="$start" -v e="$end" -v sc="$start_cpu" -v ec="$end_cpu" -v t="$ticks" -v b="$boxes" \
    'BEGIN { printf "%.2f %.2f %d\n", e - s, (ec - sc) / t, b }'
}

if [ -n "$inside_x" ]; then
  window_run
  exit 0
fi

printf '%-8s %8s %8s   (%s)\n' "" "wall s" "cpu s" "$tree"
for i in $(seq "$runs"); do
  read -r cw cc < <(cli_run)
  read -r ww wc boxes < <(xvfb-run -a -s "-screen 0 1280x1024x24" env WORK="$work" BUILD_DIR="$build" "$0" --inside-x "$tree")
  printf '%-8s %8.2f %8.2f\n' "cli" "$cw" "$cc"
  printf '%-8s %8.2f %8.2f   (%d boxes answered)\n' "window" "$ww" "$wc" "$boxes"
  awk -v cw="$cw" -v cc="$cc" -v ww="$ww" -v wc="$wc" \
    'BEGIN { printf "%-8s %7.2fx %7.2fx\n", "ratio", (cw > 0 ? ww / cw : 0), (cc > 0 ? wc / cc : 0) }'
done
