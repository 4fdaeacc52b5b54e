#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix of its own whose drive Q: is a CD-ROM drive backed
# by a folder. The prefix is separate because changing a drive means restarting the prefix's
# wineserver, which would end any other test running in it.
# Usage: run-with-cdrom.sh PREFIX DISC-FOLDER program.exe [args...]
set -euo pipefail
prefix=$1
disc=$2
shift 2
runner=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh

mkdir -p "$disc"
if [ ! -f "$prefix/.lumavex-cdrom" ] || [ "$(readlink "$prefix/dosdevices/q:" || true)" != "$disc" ]; then
  "$runner" --prefix "$prefix" reg add 'HKLM\Software\Wine\Drives' /v q: /d cdrom /f >/dev/null
  ln -sfn "$disc" "$prefix/dosdevices/q:"
  # The drive types are read when the prefix starts.
  WINEPREFIX=$prefix wineserver -k || true
  touch "$prefix/.lumavex-cdrom"
fi
exec "$runner" --prefix "$prefix" "$@"
