#include "scan/ScanFiles.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "browser/FileNames.h"
#include "image/BmpCodec.h"
#include "image/JpegFile.h"

std::string ScanTransferPath(const std::string& folder) {
  if (folder.empty()) return "";
  std::string path = PathJoin(folder, kScanTransferName);
  return path.size() <= kMaxTransferPath ? path : "";
}

std::string ScanFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Img%05d.jpg", number);
  return name;
}

namespace {
// Numbers 1..last already used in `folder`, from one listing (any case, files or folders).
std::vector<bool> TakenNumbers(const std::string& folder, int last) {
  std::vector<bool> taken(static_cast<size_t>(last) + 1, false);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(PathJoin(folder, "Img?????.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return taken;
  do {
    int number = 0;
    char tail[8] = "";
    if (std::sscanf(found.cFileName + 3, "%5d%7s", &number, tail) == 2 && number >= 1 && number <= last)
      taken[static_cast<size_t>(number)] = true;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return taken;
}
}  // namespace

std::string ReserveScanName(const std::string& folder, int last) {
  std::vector<bool> taken = TakenNumbers(folder, last);
  for (int number = 1; number <= last; ++number) {
    if (taken[static_cast<size_t>(number)]) continue;
    std::string path = PathJoin(folder, ScanFileName(number));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return path;
    }
    // Made since the listing, or a name the listing missed: try the next one.
    DWORD error = GetLastError();
    bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                  GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!exists) return "";
  }
  return "";
}

ScanSaveResult SaveScan(const std::string& bmpPath, const std::string& folder, int last) {
  ScanSaveResult result;
  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  PixelBlock pixels = codec.ReadBmp(bmpPath.c_str(), width, height);
  if (!pixels || codec.LastError() != "OK") {
    result.outcome = ScanSaveResult::kUnreadable;
    result.message = codec.LastError();
    return result;
  }
  result.path = ReserveScanName(folder, last);
  if (result.path.empty()) {
    result.outcome = ScanSaveResult::kNoFreeName;
    result.message = "No free file name for the scanned image (" + ScanFileName(1) + " to " + ScanFileName(last) +
                     " are all taken).";
    return result;
  }
  if (!WriteJpegRgb(result.path.c_str(), pixels.get(), width, height, 75)) {
    DeleteFileA(result.path.c_str());
    result.outcome = ScanSaveResult::kWriteError;
    result.message = "Write Error";
    result.path.clear();
  }
  return result;
}
