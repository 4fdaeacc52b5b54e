#!/usr/bin/env bash
# Bootstraps, then configures and builds. Usage: build.sh [cmake --build arguments...]
# Builds the cross-compiled program and tests in build/mingw and the sanitizer build of the
# portable modules in build/host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
jobs=$(nproc)
# CI (which sets CI=true) turns the project's own warnings into errors.
werror=OFF
[ -n "${CI:-}" ] && [ "${CI}" != false ] && werror=ON

"$root/scripts/bootstrap.sh" "$build"

# ccache, where installed, shares compiled objects between checkouts of the tree.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

if [ "${LUMAVEX_SKIP_HOST:-0}" != 1 ]; then
  cmake -S "$root" -B "$build/host" -DLUMAVEX_HOST=ON -DCMAKE_BUILD_TYPE=Debug -DLUMAVEX_WERROR=$werror "${launcher[@]}" >/dev/null
  cmake --build "$build/host" -j"$jobs"
fi
# shellcheck source=scripts/target.sh
. "$root/scripts/target.sh"
target=$(lumavex_target)
if [ "$target" = i686 ]; then deps=$build/deps/mingw; else deps=$build/deps/mingw-$target; fi
# One build folder for the Windows build, whichever target: start again when the target changes.
if [ -d "$build/mingw" ] && [ "$(cat "$build/mingw/.lumavex-target" 2>/dev/null || echo i686)" != "$target" ]; then
  rm -rf "$build/mingw"
fi
mkdir -p "$build/mingw"
echo "$target" > "$build/mingw/.lumavex-target"
cmake -S "$root" -B "$build/mingw" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$target.cmake" \
  -DLUMAVEX_DEPS="$deps" -DLUMAVEX_HOST_BUILD="$build/host" -DLUMAVEX_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build "$build/mingw" -j"$jobs" "$@"
