#!/usr/bin/env bash
# A small mutation pass over the core: each fault below is applied to one source file, the
# tests of its area are built and run, and the file is put back. A fault that no test catches
# "survives" and is listed at the end (exit status 1 when any does).
#   scripts/mutate.sh [build dir] [name filter]   default build/release, every fault
# The build must be configured already (cmake -S . -B <build dir> ...). Faults are plain text
# replacements, so a fault whose text is no longer in its file is reported as stale.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
only=${2:-}

# name ~ file ~ text ~ replacement ~ test program ~ gtest filter
faults=(
  "cp932-lead-range~src/platform/cp932.h~(b >= 0xE0 && b <= 0xFC)~(b >= 0xE0 && b <= 0xEF)~test_platform~Cp932*"
  "nest-limit-childless~src/tree/call_tree.cpp~child.depth + 1 >= kNestLimit && page_~child.depth + 1 > kNestLimit && page_~test_tree~CallTree*"
  "recursion-children~src/tree/call_tree.cpp~  if (nd.recursion) return false;~  if (false) return false;~test_tree~CallTree*"
  "line-end-cr-kept~src/platform/line_split.h~if (end < text.size() && end > begin~if (end <= text.size() && end > begin~test_platform~*"
  "position-first-paren~src/data/position.cpp~const std::size_t open = text.rfind('(');~const std::size_t open = text.find('(');~test_data~*"
  "safe-cut-off-by-one~src/platform/cp932.cpp~i + 1 < text.size() ? 2 : 1~i < text.size() ? 2 : 1~test_platform~*"
  "fold-ascii-range~src/platform/bytes.h~c >= 'A' && c <= 'Z'~c > 'A' && c <= 'Z'~test_platform~*"
  "literal-needs-a-byte~src/text/regex_service.cpp~if (i == npos || i + 2 > s.size()) return false;~if (i == npos || i + 1 > s.size()) return false;~test_text~*"
  "walk-unsorted~src/platform/file_walk.cpp~return a.name < b.name;~return a.name > b.name;~test_analysis~*Walk*"
  "short-line-tail~src/data/position.cpp~position.size() > 10 ? position.size() - 10 : 0~position.size() > 9 ? position.size() - 9 : 0~test_output~*"
  "grep-line-number~src/grep/grep_scan.cpp~    ++line_no;~    line_no += 2;~test_grep~*"
)

survived=()
stale=()
for entry in "${faults[@]}"; do
  IFS='~' read -r name file text replacement program filter <<<"$entry"
  [ -n "$only" ] && [[ "$name" != *"$only"* ]] && continue
  if ! grep -qF -- "$text" "$file"; then
    stale+=("$name")
    continue
  fi
  cp -p "$file" "$file.mutate-keep"
  python3 - "$file" "$text" "$replacement" <<'PY'
import sys
path, text, replacement = sys.argv[1:]
source = open(path, encoding="utf-8").read()
open(path, "w", encoding="utf-8").write(source.replace(text, replacement, 1))
PY
  verdict=caught
  if cmake --build "$build" -j 2 --target "$program" >/dev/null 2>&1; then
    if KELVORA_HOME=$(mktemp -d) "$build/tests/$program" --gtest_filter="$filter" \
        --gtest_brief=1 >/dev/null 2>&1; then
      verdict=survived
      survived+=("$name")
    fi
  else
    verdict="caught (does not build)"
  fi
  mv "$file.mutate-keep" "$file"
  touch "$file"
  echo "$name: $verdict"
  # The program back in step with the sources.
  cmake --build "$build" -j 2 --target "$program" >/dev/null 2>&1 || true
done
[ ${#stale[@]} -gt 0 ] && echo "stale (text not found): ${stale[*]}"
if [ ${#survived[@]} -gt 0 ]; then
  echo "survived: ${survived[*]}"
  exit 1
fi
echo "every fault was caught"
