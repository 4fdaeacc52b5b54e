#!/usr/bin/env bash
# Scan saving benchmark: folders holding 0, 1,000 and 99,998 numbered scans (made here as empty
# files), then scan_bench under Wine. Usage: bench/run-scan-bench.sh [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench-scan
for count in 0 1000 99998; do
  folder=$work/scans$count
  if [ ! -d "$folder" ]; then
    mkdir -p "$folder.tmp"
    (cd "$folder.tmp" && seq -f 'Img%05g.jpg' 1 "$count" | xargs -r touch)
    mv "$folder.tmp" "$folder"
  fi
done
LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target scan_bench >/dev/null
echo "load before the run:$(uptime | sed 's/.*load average://')"
win() { echo "Z:${1//\//\\}"; }
exec "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-bench" "$root/build/mingw/bench/scan_bench.exe" \
  "$@" "$(win "$work/scans0")" "$(win "$work/scans1000")" "$(win "$work/scans99998")"
