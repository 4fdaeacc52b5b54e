#!/usr/bin/env bash
# Bootstraps, then configures and builds. Usage: build.sh [cmake --build arguments...]
# Builds the cross-compiled program and tests in build/mingw (64-bit Windows; with
# LUMAVEX_ARCH=i686 the 32-bit build in build/mingw-i686) and the sanitizer build of the portable
# modules in build/host.
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
# Each target has a folder of its own (build/mingw for x86_64, build/mingw-i686): one made by an
# older checkout for the other target is started again.
out=$build/$(lumavex_build_dir "$target")
if [ -d "$out" ] && [ "$(cat "$out/.lumavex-target" 2>/dev/null || echo none)" != "$target" ]; then
  rm -rf "$out"
fi
mkdir -p "$out"
echo "$target" > "$out/.lumavex-target"
cmake -S "$root" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$target.cmake" \
  -DLUMAVEX_DEPS="$deps" -DLUMAVEX_HOST_BUILD="$build/host" -DLUMAVEX_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build "$out" -j"$jobs" "$@"
