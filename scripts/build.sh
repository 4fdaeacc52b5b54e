#!/usr/bin/env bash
# Bootstraps, then configures and builds. Usage: build.sh [cmake --build arguments...]
# Builds the cross-compiled program and tests in build/mingw and the sanitizer build of the
# portable modules in build/host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
jobs=$(nproc)

"$root/scripts/bootstrap.sh" "$build"

if [ "${LUMAVEX_SKIP_HOST:-0}" != 1 ]; then
  cmake -S "$root" -B "$build/host" -DLUMAVEX_HOST=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$build/host" -j"$jobs"
fi
cmake -S "$root" -B "$build/mingw" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DLUMAVEX_DEPS="$build/deps/mingw" -DLUMAVEX_HOST_BUILD="$build/host" >/dev/null
cmake --build "$build/mingw" -j"$jobs" "$@"
