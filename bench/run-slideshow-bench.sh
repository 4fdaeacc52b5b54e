#!/usr/bin/env bash
# Slide show benchmark: every transition effect in a 1280 x 1024 window with its real pauses
# (about 100 s a round), and the composition of a 12-megapixel photo (4000 x 3000 made from one of
# Debian's mate-backgrounds photos). Usage: bench/run-slideshow-bench.sh [--rounds N] [--effects a,b]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench-photos
"$root/bench/make-12mp-photos.sh" "$work"
photo=$(ls "$work"/12mp/*.jpg | head -n 1)

LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target slideshow_bench >/dev/null
bench=$root/build/mingw/bench/slideshow_bench.exe
# A prefix of its own (its desktop is 1280 x 1024), so that tests may run meanwhile. Wine sees the
# Unix root as drive Z:.
"$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-bench" "$bench" "$@" "Z:${photo//\//\\}"
