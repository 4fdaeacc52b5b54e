#!/usr/bin/env bash
# Thumbnail worker benchmark over real photographs: Debian's mate-backgrounds photos (fetched into
# build/bench-photos/mate, shared with run-bench.sh), and the same photos as 200 files. Builds
# thumbnail_worker_bench and runs it under Wine. Run it on an otherwise idle machine: the figures
# compare one thread against two. Where other sessions keep the processors busy, the scheduler
# shares them out by session, not by thread, and a second thread may gain nothing: the bare
# decode on two threads ("2 decodes") and the cores used show what the machine gave.
# Usage: bench/run-worker-bench.sh [--rounds N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
photos=$root/build/bench-photos
work=$photos/worker
mkdir -p "$photos"

"$root/scripts/fetch-photos.sh" "$photos/mate"

# Folders of their own, since the benchmark writes and purges thumbnail files beside the photos.
if [ ! -d "$work/mate200" ]; then
  rm -rf "$work"
  mkdir -p "$work/mate" "$work/mate200.tmp"
  cp -l "$photos"/mate/*.jpg "$work/mate/"
  mapfile -t list < <(ls "$photos"/mate/*.jpg)
  for i in $(seq 0 199); do
    photo=${list[$((i % ${#list[@]}))]}
    cp -l "$photo" "$work/mate200.tmp/$(printf 'photo%03d_' "$i")$(basename "$photo")"
  done
  mv "$work/mate200.tmp" "$work/mate200"
fi

LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target thumbnail_worker_bench >/dev/null
echo "load before the run:$(uptime | sed 's/.*load average://')"
exec "$root/scripts/wine-run.sh" --prefix "$root/build/mingw/wineprefix-bench" \
  "$root/build/mingw/bench/thumbnail_worker_bench.exe" "$@" "Z:${work//\//\\}\\mate" "Z:${work//\//\\}\\mate200"
