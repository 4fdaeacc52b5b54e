#!/usr/bin/env bash
# Lists a folder of 10,000 small JPEG files (made on the first run) with the real list view.
# Usage: bench/run-listing-bench.sh [COUNT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target listing_bench >/dev/null
folder=$root/build/bench-listing
mkdir -p "$folder"
exec "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-bench" \
  "$root/build/mingw/bench/listing_bench.exe" "Z:${folder//\//\\}" "${1:-10000}"
