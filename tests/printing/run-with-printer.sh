#!/usr/bin/env bash
# Runs a Windows test program with a real spooler: cupsd with a CUPS-PDF queue "PDF" as the
# default printer, then the program under Wine in a prefix of its own. The PDF files of the jobs
# land in ~/PDF; the program finds that folder in LUMAVEX_PDF_DIR.
# Usage: run-with-printer.sh PREFIX program.exe [args...]
#
# Wine reads the printers once, when a process loads its spooler, and deletes every printer of
# CUPS that CUPS does not report at that moment. So the queue must be there, enabled, accepting
# and the default before Wine starts: this script waits until CUPS says so, and fails otherwise.
# Only one scheduler may run: a second cupsd takes over the socket with its own idea of the
# printers (a queue the first one has not saved yet is missing there). So cupsd is started only
# when no cupsd process exists, decided under a machine-wide lock, never from a client's reply
# (which can be late on a loaded machine). The spooler, its queue and ~/PDF are shared by every
# checkout on the machine: runs take turns. A cupsd this script started is stopped when its run
# ends; one that was running before is left alone.
set -euo pipefail
prefix=$(realpath -m "$1")
shift
runner=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

for tool in cupsd lpadmin lpstat cupsenable cupsaccept; do
  command -v "$tool" >/dev/null || { echo "run-with-printer: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done

state=/tmp/lumavex-spooler
mkdir -p "$state"
# The pid of the cupsd that a run of this script started (and that a run must stop).
started=$state/started-cupsd

cupsd_pid() { pgrep -x cupsd | head -n 1; }

# One run at a time on this machine, from the start of cupsd to the end of the Wine program.
exec 9>"$state/lock"
flock 9

stop_started_cupsd() {
  local pid
  pid=$(cat "$started" 2>/dev/null || true)
  rm -f "$started"
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ] || return 0
  as_root kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 100); do [ -e "/proc/$pid" ] || return 0; sleep 0.1; done
  echo "run-with-printer: cupsd $pid did not stop" >&2
}
# A run that was killed leaves its marker: a cupsd of that pid that still runs is still ours.
if [ -s "$started" ] && [ "$(cat "/proc/$(cat "$started")/comm" 2>/dev/null)" != cupsd ]; then rm -f "$started"; fi

if [ -z "$(cupsd_pid)" ]; then
  as_root mkdir -p /run/cups
  as_root cupsd  # returns once the scheduler listens
  pid=$(cupsd_pid)
  [ -n "$pid" ] || { echo "run-with-printer: cupsd did not start" >&2; exit 1; }
  echo "$pid" > "$started"
fi
trap stop_started_cupsd EXIT
trap 'exit 143' TERM INT HUP

ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
if ! lpstat -p PDF >/dev/null 2>&1; then
  as_root lpadmin -p PDF -v cups-pdf:/ -E -P "$ppd" 2>/dev/null
fi
as_root cupsenable PDF
as_root cupsaccept PDF
[ "$(lpstat -d 2>/dev/null | sed -n 's/.*: //p')" = PDF ] || as_root lpadmin -d PDF

ready() {
  lpstat -p PDF 2>/dev/null | grep -q 'enabled' &&
    lpstat -a PDF 2>/dev/null | grep -q 'accepting requests' &&
    [ "$(lpstat -d 2>/dev/null | sed -n 's/.*: //p')" = PDF ] &&
    lpstat -e 2>/dev/null | grep -qx PDF
}
for _ in $(seq 100); do ready && break; sleep 0.1; done
ready || { echo "run-with-printer: the PDF queue is not ready" >&2; lpstat -t >&2 || true; exit 1; }

# CUPS-PDF writes into PDF/ in the home folder the user database gives the job's user, whatever
# HOME says. The folder as Wine shows it: the Unix root is drive Z:.
home=$(getent passwd "$(id -un)" | cut -d: -f6)
mkdir -p "${home:-$HOME}/PDF"
export LUMAVEX_PDF_DIR="Z:$(echo "${home:-$HOME}/PDF" | tr / '\\')"
# The lock stays with this script: Wine's server, which outlives the program, must not hold it.
"$runner" --prefix "$prefix" "$@" 9>&-
