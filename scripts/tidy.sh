#!/usr/bin/env bash
# clang-tidy over the core sources (every area of src/ but app/, gui_common/ and the ui/
# folders), with the checks of .clang-tidy, in parallel through the compile database of a build.
#   scripts/tidy.sh [build dir]     default build/release; fails on any finding
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy.sh: no $build/compile_commands.json: configure that build first" >&2
  exit 2
fi
jobs=$(nproc 2>/dev/null || echo 2)
mapfile -t files < <(find src -name '*.cpp' -not -path 'src/app/*' -not -path 'src/gui_common/*' \
  -not -path '*/ui/*' | sort)
# run-clang-tidy takes regular expressions: one alternation of the absolute paths.
pattern=$(printf '%s\n' "${files[@]}" | sed "s#^#$PWD/#; s#[.+]#\\\\&#g" | paste -sd'|')
run-clang-tidy -quiet -p "$build" -j "$jobs" -extra-arg=-Wno-unknown-warning-option "($pattern)\$" >"$build/tidy.log" 2>&1 || true
# Findings as "file:line:col: warning|error: ... [check]"; none may be left.
if sed 's/\x1b\[[0-9;]*m//g' "$build/tidy.log" |
  grep -E '^/[^ ]+:[0-9]+:[0-9]+: (warning|error):' | sort -u >"$build/tidy.findings" &&
  [ -s "$build/tidy.findings" ]; then
  cat "$build/tidy.findings"
  echo "tidy.sh: $(wc -l <"$build/tidy.findings") findings (see $build/tidy.log)" >&2
  exit 1
fi
echo "tidy.sh: ${#files[@]} core sources, no findings"
