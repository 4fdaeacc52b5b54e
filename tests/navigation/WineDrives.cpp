#include "tests/navigation/WineDrives.h"

#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "tests/support/TempDir.h"

namespace {

// The mount manager's drive definition as Wine 8 lays it out; the strings follow the structure.
struct UnixDriveDefinition {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool Define(char letter, UINT type, const std::string& mountPoint, const std::string& device) {
  std::string buffer(sizeof(UnixDriveDefinition), '\0');
  UnixDriveDefinition definition{};
  definition.type = type;
  definition.letter = static_cast<WCHAR>(letter | 0x20);
  if (!mountPoint.empty()) {
    definition.mountPointOffset = static_cast<USHORT>(buffer.size());
    buffer.append(mountPoint).push_back('\0');
  }
  if (!device.empty()) {
    definition.deviceOffset = static_cast<USHORT>(buffer.size());
    buffer.append(device).push_back('\0');
  }
  definition.size = static_cast<ULONG>(buffer.size());
  std::memcpy(buffer.data(), &definition, sizeof definition);

  HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                            &returned, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

}  // namespace

std::string UnixPathOf(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return "";
  WCHAR wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return "";
  char* unix = toUnix(wide);
  if (!unix) return "";
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

bool DefineDrive(char letter, UINT type, const std::string& folder) {
  std::string unix = UnixPathOf(folder);
  return !unix.empty() && Define(letter, type, unix, "");
}

bool DefineEmptyCdromDrive(char letter) {
  // A device that is not there and no folder: Wine keeps the drive but finds nothing on it.
  return Define(letter, DRIVE_CDROM, "", "/nonexistent/lumavex-cdrom-device");
}

bool RemoveDrive(char letter) { return Define(letter, DRIVE_NO_ROOT_DIR, "", ""); }

bool WriteVolumeSerial(const std::string& folder, DWORD serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx\n", static_cast<unsigned long>(serial));
  return WriteTestFile(folder + "\\.windows-serial", text);
}
