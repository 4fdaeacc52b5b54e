#!/usr/bin/env bash
# Runs a Windows test program with a real spooler: starts cupsd (when it is not running) with a
# CUPS-PDF queue "PDF" as the default printer, then runs the program under Wine in a prefix of its
# own. Wine reads the printers when a process loads its spooler, so cupsd must be up first.
# The PDF files of the jobs land in ~/PDF; the program finds that folder in LUMAVEX_PDF_DIR.
# Usage: run-with-printer.sh PREFIX program.exe [args...]
set -euo pipefail
prefix=$(realpath -m "$1")
shift
runner=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

for tool in cupsd lpadmin lpstat; do
  command -v "$tool" >/dev/null || { echo "run-with-printer: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done

running() { lpstat -r 2>/dev/null | grep -q 'is running'; }
if ! running; then
  as_root mkdir -p /run/cups
  as_root cupsd
  for _ in $(seq 100); do running && break; sleep 0.1; done
  running || { echo "run-with-printer: cupsd did not start" >&2; exit 1; }
fi

ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
exec 9>/tmp/lumavex-cups.lock
flock 9
if ! lpstat -p PDF >/dev/null 2>&1; then
  as_root lpadmin -p PDF -v cups-pdf:/ -E -P "$ppd"
fi
as_root cupsenable PDF 2>/dev/null || true
as_root cupsaccept PDF 2>/dev/null || true
[ "$(lpstat -d 2>/dev/null | sed -n 's/.*: //p')" = PDF ] || as_root lpadmin -d PDF
flock -u 9
exec 9>&-

# CUPS-PDF writes into PDF/ in the home folder the user database gives the job's user, whatever
# HOME says. The folder as Wine shows it: the Unix root is drive Z:.
home=$(getent passwd "$(id -un)" | cut -d: -f6)
mkdir -p "${home:-$HOME}/PDF"
export LUMAVEX_PDF_DIR="Z:$(echo "${home:-$HOME}/PDF" | tr / '\\')"
exec "$runner" --prefix "$prefix" "$@"
