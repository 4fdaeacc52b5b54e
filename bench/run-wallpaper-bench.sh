#!/usr/bin/env bash
# Set As Wallpaper benchmark over real photographs: Debian's mate-backgrounds photos (fetched into
# build/bench-photos/mate, shared with run-bench.sh) on the 1280 x 1024 test desktop. Builds
# wallpaper_bench and runs it under Wine in a prefix of its own (it replaces the wallpaper).
# Usage: bench/run-wallpaper-bench.sh [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
photos=$root/build/bench-photos
mkdir -p "$photos"
"$root/scripts/fetch-photos.sh" "$photos/mate"

LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target wallpaper_bench >/dev/null
winpaths() { for f in "$@"; do echo "Z:${f//\//\\}"; done; }
mapfile -t mate < <(winpaths "$photos"/mate/*.jpg)
exec "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-wallpaper" \
  "$root/build/mingw/bench/wallpaper_bench.exe" "$@" "${mate[@]}"
