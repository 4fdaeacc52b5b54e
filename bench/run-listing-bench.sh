#!/usr/bin/env bash
# Lists a folder of 10,000 small JPEG files (made on the first run) with the real list view, five
# times in a row; prints every round and the median and range of the rounds.
# Usage: bench/run-listing-bench.sh [COUNT] [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target listing_bench >/dev/null
folder=$root/build/bench-listing
mkdir -p "$folder"
count=10000
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then count=$1; shift; fi
exec "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-bench" \
  "$root/build/mingw/bench/listing_bench.exe" "$@" "Z:${folder//\//\\}" "$count"
