# Sourced by the build, test and run scripts: which Windows target this machine builds and runs.
# The program is 32-bit (i686). A Linux kernel without 32-bit support cannot start 32-bit Wine, so
# there the same sources are built for 64-bit Windows and run under 64-bit Wine, which still tests
# every window, message and file path of the program. LUMAVEX_ARCH=i686|x86_64 overrides.
# Needs the packages of the bootstrap (wine32's loader) to decide.
lumavex_target() {
  if [ -n "${LUMAVEX_ARCH:-}" ]; then echo "$LUMAVEX_ARCH"; return; fi
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}
