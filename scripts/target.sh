# Sourced by the build, test and run scripts: which Windows target to build and run.
# Lumavex is a 64-bit Windows program (x86_64), and that is the build that is tested and packaged.
# LUMAVEX_ARCH=i686 builds the 32-bit program instead (CI compiles it; 64-bit-only kernels cannot
# run 32-bit Wine, so it is not run here).
lumavex_target() {
  case "${LUMAVEX_ARCH:-x86_64}" in
    i686) echo i686 ;;
    x86_64 | "") echo x86_64 ;;
    *) echo "LUMAVEX_ARCH must be x86_64 or i686, not '$LUMAVEX_ARCH'" >&2; return 1 ;;
  esac
}

# The folder of the Windows build: build/mingw for the program, build/mingw-i686 for the 32-bit
# build, so that switching targets never throws the other one away.
lumavex_build_dir() {
  if [ "$1" = i686 ]; then echo mingw-i686; else echo mingw; fi
}
