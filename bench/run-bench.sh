#!/usr/bin/env bash
# Thumbnail benchmark over real photographs: Debian's mate-backgrounds photos, and 12-megapixel
# photos (4000 x 3000, 4:2:0, quality 90) made from them, upright and turned by their Exif
# orientation. Builds image_bench and runs it under Wine on each set; then the time and peak
# memory of one thumbnail in a fresh process, for a 12-megapixel photo and for synthetic photos
# of 18000 x 14000 and 30000 x 20000, baseline and progressive. Usage: bench/run-bench.sh [--rounds N]
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
echo
echo "== 12-megapixel photos turned by orientation 6"
mapfile -t rotated < <(winpaths "$work"/12mp-rotated/*.jpg)
run "$@" "${rotated[@]}"

large=$work/large
mkdir -p "$large"
for shape in 18000x14000:baseline 18000x14000:progressive 30000x20000:baseline 30000x20000:progressive; do
  size=${shape%%:*} kind=${shape##*:}
  file=$large/$size-$kind.jpg
  [ -f "$file" ] || run --make "${size%%x*}" "${size##*x}" "$kind" "$(winpaths "$file")" || rm -f "$file"
done
echo
echo "== one thumbnail in a fresh process"
run --peak "${twelve[0]}"
for file in "$large"/*.jpg; do run --peak "$(winpaths "$file")"; done
