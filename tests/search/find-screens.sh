#!/usr/bin/env bash
# Screenshots of the Find dialog and the annotation dialog: OUTDIR/find-dialog.png and
# OUTDIR/annotation-dialog.png. Usage: tests/search/find-screens.sh OUTDIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: find-screens.sh OUTDIR}
mkdir -p "$out"
build=$root/build/mingw
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
  "$1/scripts/wine-run.sh" --prefix "$2/wineprefix-screens" "$2/tests/search/find_screens.exe" "Z:${3//\//\\}" 10 |
  while read -r line; do
    sleep 2
    case $line in
      "find shown") import -window root "$4/find-dialog.png" ;;
      "annotation shown") import -window root "$4/annotation-dialog.png" ;;
    esac
  done' _ "$root" "$build" "$folder" "$out"
