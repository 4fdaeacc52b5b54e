#!/usr/bin/env bash
# Puts the real photographs of Debian's mate-backgrounds package into a folder (once).
# Usage: fetch-photos.sh DIR
set -euo pipefail
dir=$1
[ -n "$(ls "$dir"/*.jpg 2>/dev/null)" ] && exit 0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download mate-backgrounds >/dev/null 2>&1) || {
  apt-get update -qq >/dev/null 2>&1 || true
  (cd "$work" && apt-get download mate-backgrounds >/dev/null 2>&1)
} || { echo "fetch-photos: 'apt-get download mate-backgrounds' failed" >&2; exit 1; }
dpkg -x "$work"/mate-backgrounds_*.deb "$work/extract"
mkdir -p "$dir"
find "$work/extract" -name '*.jpg' -exec cp {} "$dir/" \;
