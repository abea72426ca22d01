#!/bin/sh
# Type-ahead in the TREE viewer's selection window on a kernel-sized page (531 399 entries):
# every typed key must be answered within 100 ms. usage: bench/type_ahead.sh [BUILD_DIR]
set -e
build=${1:-build/release}
here=$(dirname "$0")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 "$here/gen_tree_file.py" "$tmp/kernel.tree" --entries 531399
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/kelvora_bench_type_ahead" "$tmp/kernel.tree"
