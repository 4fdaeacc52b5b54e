#!/usr/bin/env bash
# Installs what the build needs and builds the cross-compiled dependencies once.
# Idempotent: packages already installed and dependencies already built are skipped.
# Usage: scripts/bootstrap.sh [build-dir]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
deps=$build/deps
mkdir -p "$deps"

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix cmake nasm make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 fonts-wine xvfb xauth imagemagick
  googletest libgtest-dev libjpeg62-turbo-dev g++ dpkg-dev clang-format clang-tidy
  nsis zip
  # Printing tests: a spooler with a PDF queue, and poppler to read the PDF back. Wine loads the
  # CUPS client of its own architecture: amd64 for wine64, i386 for the 32-bit Wine.
  cups printer-driver-cups-pdf poppler-utils libcups2 libcups2:i386
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

ensure_packages() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "bootstrap: installing packages: $(echo $missing)"
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  as_root apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $missing
}

# Source packages need deb-src entries; derive them from the machine's own apt sources.
ensure_deb_src() {
  if apt-get source --print-uris -qq libjpeg-turbo >/dev/null 2>&1; then return 0; fi
  local list=/etc/apt/sources.list.d/lumavex-src.sources
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | as_root tee /etc/apt/sources.list.d/lumavex-src.list >/dev/null
  fi
  as_root apt-get update -qq
}

# The Windows target of this machine (scripts/target.sh); its dependencies get a folder each.
target=
toolchain=
prefix=
choose_target() {
  # shellcheck source=scripts/target.sh
  . "$root/scripts/target.sh"
  target=$(lumavex_target)
  toolchain=$root/cmake/mingw-$target.cmake
  if [ "$target" = i686 ]; then prefix=$deps/mingw; else prefix=$deps/mingw-$target; fi
}

build_libjpeg() {
  local stamp=$prefix/libjpeg.stamp
  [ -f "$stamp" ] && [ -f "$prefix/lib/libjpeg.a" ] && return 0
  ensure_deb_src
  echo "bootstrap: building libjpeg-turbo for $target MinGW"
  local work=$deps/src/libjpeg-$target
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null)
  local src
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  cmake -S "$src" -B "$work/build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_SYSTEM_PROCESSOR="$target" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF >/dev/null
  cmake --build "$work/build" -j"$(nproc)" >/dev/null
  cmake --install "$work/build" >/dev/null
  touch "$stamp"
}

build_gtest() {
  local stamp=$prefix/gtest.stamp
  [ -f "$stamp" ] && [ -f "$prefix/lib/libgtest.a" ] && return 0
  echo "bootstrap: building GoogleTest for $target MinGW"
  cmake -S /usr/src/googletest -B "$deps/src/gtest-build-$target" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$deps/src/gtest-build-$target" -j"$(nproc)" >/dev/null
  cmake --install "$deps/src/gtest-build-$target" >/dev/null
  touch "$stamp"
}

ensure_packages
choose_target
build_libjpeg
build_gtest
