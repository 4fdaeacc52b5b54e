#!/usr/bin/env bash
# Takes the screenshots of the print preview tests: runs them on a display of their own and
# captures the screen whenever a test leaves a "<name>.ready" marker in the shots folder.
# Usage: tests/printing/take-shots.sh [SHOTS-FOLDER]   (from the tree's root, after a build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
shots=$(realpath -m "${1:-/work/shots}")
mkdir -p "$shots"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$shots"; fi
export LUMAVEX_SHOTS_DIR="Z:${shots//\//\\}"
"$root/tests/printing/run-with-printer.sh" "$root/build/mingw/wineprefix-print" \
  "$root/build/mingw/tests/printing/printing_tests.exe" --gtest_filter='Preview.PagesStep*' &
tests=$!
while kill -0 "$tests" 2>/dev/null; do
  for marker in "$shots"/*.ready; do
    [ -e "$marker" ] || continue
    name=$(basename "$marker" .ready)
    import -window root "$shots/$name.png" 2>/dev/null || true
    rm -f "$marker"
  done
  sleep 0.2
done
wait "$tests"
