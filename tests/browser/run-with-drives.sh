#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix of its own in which R: is a CD-ROM drive and S: a
# removable drive, each backed by a folder. The prefix is separate because changing drives means
# restarting the prefix's wineserver, which would end any other test running in it. Run a test
# program by hand the same way, e.g. from build/mingw:
#   ../../tests/browser/run-with-drives.sh wineprefix-drives tests/browser/drives \
#       tests/browser/thumbnail_tests.exe
# Usage: run-with-drives.sh PREFIX DRIVES-FOLDER program.exe [args...]
set -euo pipefail
prefix=$(realpath -m "$1")
drives=$(realpath -m "$2")
shift 2
runner=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh

configured() {
  [ -f "$prefix/.lumavex-drives" ] &&
    [ "$(readlink "$prefix/dosdevices/r:" || true)" = "$drives/cdrom" ] &&
    [ "$(readlink "$prefix/dosdevices/s:" || true)" = "$drives/removable" ]
}

mkdir -p "$drives/cdrom" "$drives/removable"
if ! configured; then
  "$runner" --prefix "$prefix" --init-only
  exec 9>"$prefix.drives.lock"
  flock 9
  if ! configured; then
    "$runner" --prefix "$prefix" reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f >/dev/null
    "$runner" --prefix "$prefix" reg add 'HKLM\Software\Wine\Drives' /v s: /d floppy /f >/dev/null
    ln -sfn "$drives/cdrom" "$prefix/dosdevices/r:"
    ln -sfn "$drives/removable" "$prefix/dosdevices/s:"
    # The drive types are read when the prefix starts.
    WINEPREFIX=$prefix wineserver -k || true
    WINEPREFIX=$prefix wineserver -w || true
    touch "$prefix/.lumavex-drives"
  fi
  flock -u 9
fi
exec "$runner" --prefix "$prefix" "$@"
