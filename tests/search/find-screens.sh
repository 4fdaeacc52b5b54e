#!/usr/bin/env bash
# Screenshots of the Find dialog, the annotation dialog and the File menu: OUTDIR/find-dialog.png,
# OUTDIR/annotation-dialog.png and OUTDIR/file-menu.png. Usage: tests/search/find-screens.sh OUTDIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: find-screens.sh OUTDIR}
mkdir -p "$out"
build=$root/build/mingw
folder=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$folder" "$log"' EXIT
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
  "$1/scripts/wine-run.sh" --prefix "$2/wineprefix-screens" "$2/tests/search/find_screens.exe" "Z:${3//\//\\}" 10 \
    >"$5" 2>&1 &
  until grep -q "find shown" "$5"; do sleep 0.5; done
  sleep 2
  import -window root "$4/find-dialog.png"
  until grep -q "annotation shown" "$5"; do sleep 0.5; done
  sleep 2
  import -window root "$4/annotation-dialog.png"
  until grep -q "menu shown" "$5"; do sleep 0.5; done
  sleep 1
  import -window root "$4/file-menu.png"
  wait' _ "$root" "$build" "$folder" "$out" "$log"
