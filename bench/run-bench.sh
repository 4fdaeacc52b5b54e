#!/usr/bin/env bash
# Thumbnail benchmark over real photographs: Debian's mate-backgrounds photos, and 12-megapixel
# photos (4000 x 3000, 4:2:0, quality 90) made from them. Builds image_bench and runs it under
# Wine on both sets. Usage: bench/run-bench.sh [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench-photos
"$root/bench/make-12mp-photos.sh" "$work"

LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target image_bench >/dev/null
bench=$root/build/mingw/bench/image_bench.exe
run() { "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix" "$bench" "$@"; }

# Wine sees the Unix root as drive Z:.
winpaths() { for f in "$@"; do echo "Z:${f//\//\\}"; done; }
echo "== mate-backgrounds photos"
mapfile -t mate < <(winpaths "$work"/mate/*.jpg)
run "$@" "${mate[@]}"
echo
echo "== 12-megapixel photos (4000 x 3000, 4:2:0, quality 90)"
mapfile -t twelve < <(winpaths "$work"/12mp/*.jpg)
run "$@" "${twelve[@]}"
