#!/usr/bin/env bash
# Builds Lumavex and starts it under Wine on the current X display. Without a display it runs on
# Xvfb, says so, and saves a screenshot to build/screenshot.png after a few seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target Lumavex
exe=$root/build/mingw/app/Lumavex.exe
# A first run starts in the program's folder: give it some real photographs to show.
if [ ! -f "$root/build/mingw/app/.sample-photos" ]; then
  if "$root/scripts/fetch-photos.sh" "$root/build/sample-photos"; then
    find "$root/build/sample-photos" -name '*.jpg' ! -name '*_*' -exec cp {} "$root/build/mingw/app/" \;
  fi
  touch "$root/build/mingw/app/.sample-photos"
fi
run=("$root/scripts/wine-run.sh" --prefix "$root/build/wine-app" "$exe")

if [ -n "${DISPLAY:-}" ]; then
  exec "${run[@]}"
fi

display=:$(( 90 + RANDOM % 100 ))
echo "No X display: running Lumavex on Xvfb $display; a screenshot goes to build/screenshot.png"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# Wine's desktop process lives on the X server it started on: end the prefix's processes with it.
stop() { WINEPREFIX=$root/build/wine-app wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; }
trap stop EXIT
WINEPREFIX=$root/build/wine-app wineserver -k 2>/dev/null || true
export DISPLAY=$display
sleep 1
"${run[@]:0:3}" --init-only
"${run[@]}" &
app=$!
sleep "${LUMAVEX_SCREENSHOT_DELAY:-8}"
import -window root "$root/build/screenshot.png" && echo "Screenshot saved: build/screenshot.png"
wait $app
