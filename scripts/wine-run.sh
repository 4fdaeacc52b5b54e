#!/usr/bin/env bash
# Runs a Windows program under Wine in a build-local prefix: the CTest emulator and the launcher.
# Usage: wine-run.sh --prefix DIR program.exe [args...]   (or --init-only: just make the prefix)
# The prefix is made once (32-bit, with a virtual desktop so that Wine draws real frames).
# Without an X display the program runs on a private Xvfb.
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$@"
fi

if [ "${1:-}" = "--prefix" ]; then prefix=$2; shift 2; else prefix=${WINEPREFIX:?}; fi
# shellcheck source=scripts/target.sh
. "$(dirname "$0")/target.sh"
if [ "$(lumavex_target)" = i686 ]; then
  export WINEARCH=win32
  wine() { command wine "$@"; }
else
  # Debian's wine launcher always picks the 32-bit loader when it is installed.
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  wine() { /usr/lib/wine/wine64 "$@"; }
fi
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.lumavex-ready" ]; then
  wine wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.lumavex-ready"
fi
# The prefix's desktop lives on the X server it was started on: a prefix still running on
# another display is ended first.
# (xvfb-run gives each server an authority file of its own, so a new server of the same display
# number counts as another display.)
server="$DISPLAY ${XAUTHORITY:-}"
if [ "$(cat "$prefix/.lumavex-display" 2>/dev/null)" != "$server" ]; then
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  echo "$server" > "$prefix/.lumavex-display"
fi
flock -u 9
exec 9>&-

[ "${1:-}" = "--init-only" ] && exit 0
if [ "$WINEARCH" = win32 ]; then exec wine "$@"; else exec /usr/lib/wine/wine64 "$@"; fi
