#include "browser/ProgramFolders.h"

#include <windows.h>

namespace {
constexpr char kMarkerText[] =
    "Lumavex made this folder. Uninstalling Lumavex with its favorites and thumbnail folders removes it.\r\n";
}

bool MakeProgramFolder(const std::string& folder) {
  if (!CreateDirectoryA(folder.c_str(), nullptr)) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  const std::string marker = folder + "\\" + kProgramFolderMarker;
  HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, kMarkerText, sizeof kMarkerText - 1, &written, nullptr);
    CloseHandle(file);
  }
  return true;
}
