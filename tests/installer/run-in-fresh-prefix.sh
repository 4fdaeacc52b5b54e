#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix made afresh: the prefix of an earlier run, with
# whatever was installed in it, is ended and deleted first.
# Usage: run-in-fresh-prefix.sh PREFIX program.exe [args...]
set -euo pipefail
prefix=$(realpath -m "$1")
shift
runner=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh
case "$prefix" in
  */wineprefix-*) ;;
  *) echo "run-in-fresh-prefix: refusing to delete $prefix (not a wineprefix-* folder)" >&2; exit 2 ;;
esac
if [ -d "$prefix" ]; then
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  rm -rf "$prefix"
fi
exec "$runner" --prefix "$prefix" "$@"
