// A source manager for the scanner tests, built as "TWAINDSM.DLL": it writes one line per call to
// the file named by LUMAVEX_TWAIN_LOG ("dsm <DG> <DAT> <MSG> rc=<n>" in hex) and hands every call
// on to the system's TWAIN_32.DLL (Wine's manager), so that the test source works as usual.
#include <windows.h>

#include <cstdio>
#include <string>

#include "scan/TwainProtocol.h"

namespace {

DSMENTRYPROC Forward() {
  static DSMENTRYPROC entry = [] {
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return DSMENTRYPROC{};
    HMODULE manager = LoadLibraryA((std::string(folder) + "\\twain_32.dll").c_str());
    return manager ? reinterpret_cast<DSMENTRYPROC>(GetProcAddress(manager, "DSM_Entry")) : DSMENTRYPROC{};
  }();
  return entry;
}

void Log(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc) {
  char path[MAX_PATH] = "";
  const DWORD length = GetEnvironmentVariableA("LUMAVEX_TWAIN_LOG", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  FILE* file = std::fopen(path, "a");
  if (!file) return;
  std::fprintf(file, "dsm %lx %04x %04x rc=%x\n", static_cast<unsigned long>(dg), dat, msg, rc);
  std::fclose(file);
}

}  // namespace

extern "C" __declspec(dllexport) TW_UINT16 WINAPI
    DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  DSMENTRYPROC entry = Forward();
  const TW_UINT16 rc = entry ? entry(origin, dest, dg, dat, msg, data) : TWRC_FAILURE;
  Log(dg, dat, msg, rc);
  return rc;
}
