#!/usr/bin/env bash
# Puts Debian's mate-backgrounds photos into DIR/mate and 12-megapixel versions of them (4000 x 3000,
# 4:2:0, quality 90) into DIR/12mp, once. Usage: bench/make-12mp-photos.sh DIR
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
