#!/usr/bin/env bash
# Finds in a folder of 10,000 files with 10,000 annotations (made on the first run) with the real
# Find dialog: the store read and both search modes; prints the median and range of the rounds.
# Usage: bench/run-find-bench.sh [COUNT] [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target find_bench >/dev/null
folder=$root/build/bench-find
mkdir -p "$folder"
count=10000
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then count=$1; shift; fi
exec "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-bench" \
  "$root/build/mingw/bench/find_bench.exe" "$@" "Z:${folder//\//\\}" "$count"
