#!/usr/bin/env bash
# clang-tidy over the core sources (every area of src/ but app/, gui_common/ and the ui/
# folders), with the checks of .clang-tidy, one clang-tidy per file on every core in parallel,
# through the compile database of a build.
#   scripts/tidy.sh [build dir]     default build/release; fails on any finding
# A file found clean is remembered in <build dir>/tidy-cache under a hash of its text, every
# header of src/, .clang-tidy and the clang-tidy version, so a run checks again only the sources
# that changed or that a changed header may touch (any header change checks them all).
# KELVORA_TIDY_NO_CACHE=1 checks every file.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy.sh: no $build/compile_commands.json: configure that build first" >&2
  exit 2
fi
jobs=$(nproc 2>/dev/null || echo 2)
cache="$build/tidy-cache"
[ "${KELVORA_TIDY_NO_CACHE:-0}" = 1 ] && rm -rf "$cache"
mkdir -p "$cache"
mapfile -t files < <(find src -name '*.cpp' -not -path 'src/app/*' -not -path 'src/gui_common/*' \
  -not -path '*/ui/*' | sort)
# What every file's result depends on besides its own text.
common=$( {
  clang-tidy --version
  cat .clang-tidy
  find src -name '*.h' -print0 | sort -z | xargs -0 sha256sum
} | sha256sum | cut -c1-64)

# Files not known clean, with their keys.
todo=()
for f in "${files[@]}"; do
  key=$( { echo "$common"; cat "$f"; } | sha256sum | cut -c1-64)
  [ -f "$cache/$key.ok" ] || todo+=("$f $key")
done

export build cache
check() {
  local f=$1 key=$2 log
  log="$cache/$key.log"
  clang-tidy -quiet -p "$build" -extra-arg=-Wno-unknown-warning-option "$PWD/$f" >"$log" 2>&1 || true
  if ! sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -qE '^/[^ ]+:[0-9]+:[0-9]+: (warning|error):'; then
    touch "$cache/$key.ok"
    rm -f "$log"
  fi
}
export -f check
if [ ${#todo[@]} -gt 0 ]; then
  printf '%s\n' "${todo[@]}" | xargs -P "$jobs" -L 1 bash -c 'check "$0" "$1"'
fi

# Findings as "file:line:col: warning|error: ... [check]"; none may be left.
: >"$build/tidy.log"
for entry in "${todo[@]}"; do
  key=${entry#* }
  [ -f "$cache/$key.log" ] && cat "$cache/$key.log" >>"$build/tidy.log"
done
if sed 's/\x1b\[[0-9;]*m//g' "$build/tidy.log" |
  grep -E '^/[^ ]+:[0-9]+:[0-9]+: (warning|error):' | sort -u >"$build/tidy.findings" &&
  [ -s "$build/tidy.findings" ]; then
  cat "$build/tidy.findings"
  echo "tidy.sh: $(wc -l <"$build/tidy.findings") findings (see $build/tidy.log)" >&2
  exit 1
fi
echo "tidy.sh: ${#files[@]} core sources (${#todo[@]} checked, the rest unchanged), no findings"
