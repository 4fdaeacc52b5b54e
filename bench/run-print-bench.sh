#!/usr/bin/env bash
# Printing benchmark: 200 12-megapixel photos (4000 x 3000, made from Debian's mate-backgrounds
# photos, repeated) printed at box 96 by the real list view on the CUPS-PDF queue, against the
# bare decoding of the same photos; time (median and range of the rounds) and peak memory.
# Usage: bench/run-print-bench.sh [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench-photos
"$root/bench/make-12mp-photos.sh" "$work"
# 200 photos: the 12-megapixel set over and over, each a name of its own (hard links).
folder=$root/build/bench-print
if [ "$(ls "$folder"/*.jpg 2>/dev/null | wc -l)" -ne 200 ]; then
  rm -rf "$folder" && mkdir -p "$folder"
  mapfile -t set < <(ls "$work"/12mp/*.jpg)
  for i in $(seq 0 199); do ln -f "${set[$((i % ${#set[@]}))]}" "$(printf '%s/photo%03d.jpg' "$folder" "$i")"; done
fi

LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target print_bench >/dev/null
bench=$root/build/mingw/bench/print_bench.exe
winfolder="Z:${folder//\//\\}"
echo "== bare decoding of 200 12-megapixel photos"
"$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-print" "$bench" "$@" decode "$winfolder"
echo
echo "== decoding them and reducing them to their cells at box 96, as a print job's cache holds them"
"$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-print" "$bench" "$@" load "$winfolder"
echo
echo "== printing them at box 96 (CUPS-PDF; the wall clock includes the spooler's work on the earlier job)"
"$root/tests/printing/run-with-printer.sh" "$root/build/mingw/wineprefix-print" "$bench" "$@" print "$winfolder"
