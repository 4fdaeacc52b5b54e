#include "viewer/Wallpaper.h"

#include <windows.h>
#include <shlobj.h>

#include <new>

#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "framework/WinApp.h"
#include "image/BmpCodec.h"
#include "image/Dib.h"
#include "image/ImageSettings.h"
#include "image/Reduce.h"

namespace {

constexpr char kWallpaperName[] = "Luma Vex.bmp";
constexpr char kUserFolderName[] = "Lumavex";

// Writes the DIB-order picture to a temporary file beside `target`, then moves it over `target`.
bool WriteBitmapInPlace(const std::string& target, const CDib& picture) {
  const std::string folder = target.substr(0, target.rfind('\\'));
  char temporary[kPathBytes];
  if (!GetTempFileNameA(folder.c_str(), "lvx", 0, temporary)) return false;
  BmpCodec codec;
  codec.WriteBmp24(temporary, picture.bits.get(), picture.width, picture.height);
  if (codec.LastError() != "OK" || !MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(temporary);
    return false;
  }
  return true;
}

// Writes the bitmap into the Windows folder, or where a standard user cannot write there, into
// the user's own folder. The file written, or "" when neither took it.
std::string WriteWallpaperBitmap(const CDib& picture) {
  const std::string windowsFile = WallpaperFile();
  if (!windowsFile.empty() && WriteBitmapInPlace(windowsFile, picture)) return windowsFile;
  const std::string userFile = UserWallpaperFile();
  if (userFile.empty()) return "";
  const std::string userFolder = userFile.substr(0, userFile.rfind('\\'));
  if (!CreateDirectoryA(userFolder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return "";
  return WriteBitmapInPlace(userFile, picture) ? userFile : "";
}

// The procedure under the wait cursor. `told` gets what to tell the user; it stays empty for
// failures that are not told (a picture that cannot be read or made smaller).
bool InstallWallpaper(const std::string& path, std::string& told) {
  CWaitCursor wait;
  std::string written;
  try {
    CDib picture;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite)) return false;
    picture.Read(file);
    if (!picture.bits || picture.width == 0 || picture.height == 0) return false;

    WallpaperSize size =
        WallpaperSizeFor(picture.width, picture.height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (size.width == 0 || size.height == 0) return false;
    if (size.reduced) {
      g_wallpaperWidth = static_cast<int>(size.width);
      g_wallpaperHeight = static_cast<int>(size.height);
      if (!ReduceToWallpaperWidth(picture.bits.get(), picture.width, picture.height)) return false;
      picture.width = size.width;
      picture.height = size.height;
    }
    picture.PrepareForDisplay();
    written = WriteWallpaperBitmap(picture);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (written.empty()) {
    told = "its bitmap could be written neither into the Windows folder nor into \"" + UserWallpaperFile() + "\".";
    return false;
  }
  if (!SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(written.c_str()), SPIF_UPDATEINIFILE)) {
    told = "the system did not accept \"" + written + "\".";
    return false;
  }
  return true;
}

}  // namespace

WallpaperSize WallpaperSizeFor(uint32_t width, uint32_t height, int screenWidth, int screenHeight) {
  WallpaperSize size;
  if (width == 0 || height == 0 || screenWidth <= 0 || screenHeight <= 0) return size;
  const auto cx = static_cast<uint32_t>(screenWidth);
  const auto cy = static_cast<uint32_t>(screenHeight);
  if (cx >= width && cy >= height) {
    size.width = width;
    size.height = height;
    return size;
  }
  size.reduced = true;
  if (cx < width) {
    size.width = cx;
  } else {
    auto bound = static_cast<uint32_t>(static_cast<double>(cy) / height * width);
    size.width = bound / 4 * 4;
  }
  size.height = size.width ? ReducedHeight(size.width, width, height) : 0;
  return size;
}

std::string WallpaperFile() {
  char folder[kPathBytes] = "";
  UINT length = GetWindowsDirectoryA(folder, kPathBytes);
  if (length == 0 || length >= kPathBytes) return "";
  return std::string(folder) + "\\" + kWallpaperName;
}

std::string UserWallpaperFile() {
  char folder[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return "";
  return std::string(folder) + "\\" + kUserFolderName + "\\" + kWallpaperName;
}

bool SetAsWallpaper(const std::string& path) {
  std::string failure;
  if (InstallWallpaper(path, failure)) return true;
  if (!failure.empty()) {
    const std::string message = "The picture was not set as wallpaper: " + failure;
    AfxMessageBox(message.c_str(), MB_OK | MB_ICONEXCLAMATION);
  }
  return false;
}
