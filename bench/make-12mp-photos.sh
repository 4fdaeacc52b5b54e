#!/usr/bin/env bash
# Puts Debian's mate-backgrounds photos into DIR/mate and 12-megapixel versions of them (4000 x 3000,
# 4:2:0, quality 90) into DIR/12mp, once, and the same files turned a quarter by an Exif segment
# (orientation 6, as a camera held upright writes it) into DIR/12mp-rotated.
# Usage: bench/make-12mp-photos.sh DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$1
mkdir -p "$work"
"$root/scripts/fetch-photos.sh" "$work/mate"
if [ ! -d "$work/12mp" ]; then
  rm -rf "$work/12mp.tmp" && mkdir -p "$work/12mp.tmp"
  for photo in "$work"/mate/*.jpg; do
    convert "$photo" -resize '4000x3000^' -gravity center -extent 4000x3000 \
      -sampling-factor 2x2,1x1,1x1 -quality 90 "$work/12mp.tmp/$(basename "$photo")"
  done
  mv "$work/12mp.tmp" "$work/12mp"
fi
if [ ! -d "$work/12mp-rotated" ]; then
  rm -rf "$work/12mp-rotated.tmp" && mkdir -p "$work/12mp-rotated.tmp"
  # APP1 "Exif", big-endian TIFF header, IFD0 with one entry: 0x0112 SHORT 1 = 6.
  exif='\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
  for photo in "$work"/12mp/*.jpg; do
    { head -c 2 "$photo"; printf "$exif"; tail -c +3 "$photo"; } > "$work/12mp-rotated.tmp/$(basename "$photo")"
  done
  mv "$work/12mp-rotated.tmp" "$work/12mp-rotated"
fi
