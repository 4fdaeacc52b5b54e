#!/usr/bin/env bash
# Checks the project's own sources: formatting (clang-format, the style of .clang-format) and,
# with --tidy, clang-tidy's checks of .clang-tidy over the Windows build's compile commands.
# Usage: check.sh [--tidy]   Exit status 1 when anything is found.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sources() { git ls-files -- '*.cpp' '*.h' '*.c'; }

status=0
unformatted=$(sources | xargs clang-format --dry-run 2>&1 | grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error)' |
  cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "check: not formatted (run clang-format -i on them):"
  echo "$unformatted" | sed 's/^/  /'
  status=1
else
  echo "check: formatting OK ($(sources | wc -l) files)"
fi

if [ "${1:-}" = "--tidy" ]; then
  build=$root/build/mingw
  if [ ! -f "$build/compile_commands.json" ]; then "$root/scripts/build.sh" >/dev/null; fi
  start=$(date +%s)
  # The program's own translation units; tests, benchmarks and tools are left out.
  units=$(git ls-files -- 'framework/*.cpp' 'image/*.cpp' 'browser/*.cpp' 'navigation/*.cpp' 'viewer/*.cpp' \
    'app/*.cpp' 'scan/*.cpp' 'search/*.cpp' 'menus/*.cpp')
  target=$(cat "$build/.lumavex-target")-w64-mingw32
  # clang reads the headers of the cross compiler (its C++ library first) for the same target.
  args=(--extra-arg=--target="$target" --extra-arg=-Wno-unknown-warning-option)
  while read -r dir; do args+=(--extra-arg=-isystem"$dir"); done < <("$target-g++-posix" -E -x c++ - -v </dev/null 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ ' | sed 's/^ //' |
    grep -vE '/usr/lib/gcc/[^ ]*/include(-fixed)?$')
  if ! echo "$units" | xargs -P"$(nproc)" -n 4 clang-tidy -p "$build" --quiet "${args[@]}" >"$build/tidy.log" 2>&1; then
    status=1
  fi
  if grep -qE ': (warning|error):' "$build/tidy.log"; then
    grep -E ': (warning|error):' "$build/tidy.log" | sort -u
    status=1
  fi
  echo "check: clang-tidy over $(echo "$units" | wc -l) files took $(( $(date +%s) - start )) s"
fi
exit $status
