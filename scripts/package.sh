#!/usr/bin/env bash
# Builds the release packages into dist/: the setup program (NSIS) and a portable zip of the
# program with its read-me, named after the version in app/Version.h and the Windows target built
# (win64; win32 for the 32-bit build, LUMAVEX_ARCH=i686, scripts/target.sh). Works from a clean
# checkout.
# Usage: package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
start=$(date +%s)

# Only the program and its setup: the host sanitizer build is for the tests.
LUMAVEX_SKIP_HOST=1 "$root/scripts/build.sh" --target lumavex_setup

# shellcheck source=scripts/target.sh
. "$root/scripts/target.sh"
env_file=$root/build/$(lumavex_build_dir "$(lumavex_target)")/installer/package.env
[ -f "$env_file" ] || { echo "package: no $env_file (is makensis installed?)" >&2; exit 1; }
# version, platform, setup, program, readme
# shellcheck disable=SC1090
. "$env_file"

dist=$root/dist
name=Lumavex-$version
mkdir -p "$dist"
rm -f "$dist/$name-$platform-setup.exe" "$dist/$name-$platform.zip"
cp "$setup" "$dist/$name-$platform-setup.exe"

# The zip unpacks into a folder of its own: the program keeps its Favorites and thumbnail folders
# beside itself.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/Lumavex"
cp "$program" "$stage/Lumavex/Lumavex.exe"
cp "$readme" "$stage/Lumavex/README.txt"
(cd "$stage" && zip -q -X -9 -r "$dist/$name-$platform.zip" Lumavex)

(cd "$dist" && sha256sum "$name-$platform-setup.exe" "$name-$platform.zip" > "$name.sha256")
echo "package: $(cd "$dist" && ls -l "$name-$platform-setup.exe" "$name-$platform.zip" | awk '{print $5, $9}' | tr '\n' ' ')"
echo "package: dist/ ready in $(( $(date +%s) - start )) s"
