#include "viewer/Wallpaper.h"

#include <windows.h>

#include <new>

#include "framework/File.h"
#include "framework/PathText.h"
#include "framework/WinApp.h"
#include "image/BmpCodec.h"
#include "image/Dib.h"
#include "image/ImageSettings.h"
#include "image/Reduce.h"

namespace {

constexpr char kWallpaperName[] = "Luma Vex.bmp";

// Writes the DIB-order picture to a temporary file in `folder`, then moves it over `target`.
bool WriteBitmapInPlace(const std::string& folder, const std::string& target, const CDib& picture) {
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

bool SetAsWallpaper(const std::string& path) {
  CWaitCursor wait;
  const std::string target = WallpaperFile();
  if (target.empty()) return false;
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

    if (!WriteBitmapInPlace(target.substr(0, target.rfind('\\')), target, picture)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(target.c_str()), SPIF_UPDATEINIFILE) != 0;
}
