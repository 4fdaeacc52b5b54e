#include <windows.h>

#include "framework/MessageBox.h"
#include "image/ImagePlatform.h"

namespace image_platform {

void ShowMessage(const char* text, const char* caption) { AfxMessageBox(text, MB_OK, caption); }

bool IsRemovableOrCdRom(char letter) {
  const char root[] = {letter, ':', '\\', '\0'};
  const UINT type = GetDriveTypeA(root);
  return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

bool CopyFileIfAbsent(const char* from, const char* to) { return CopyFileA(from, to, TRUE) != 0; }

}  // namespace image_platform
