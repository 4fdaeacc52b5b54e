#include "scan/ScanFiles.h"

#include <windows.h>

#include "framework/PathText.h"

#include <cstdio>
#include <vector>

#include "browser/FileNames.h"
#include "image/BmpCodec.h"
#include "image/JpegFile.h"

std::string ScanTransferName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "~Lumavex scan %04d.bmp", number);
  return name;
}

std::string ScanTransferPath(const std::string& folder, int number) {
  if (folder.empty()) return "";
  std::string path = PathJoin(folder, ScanTransferName(number));
  return path.size() <= kMaxTransferPath ? path : "";
}

std::string ReserveScanTransfer(const std::string& folder) {
  for (int number = 1; number <= kLastTransferNumber; ++number) {
    std::string path = ScanTransferPath(folder, number);
    if (path.empty()) return "";
    // Not hidden yet: a source that opens the file for writing as a plain file would be refused
    // a hidden one.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return path;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
        GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
      return "";
  }
  return "";
}

void HideScanTransfer(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

void DeleteScanTransfer(const std::string& path) {
  if (path.empty()) return;
  // A hidden or read-only file is deleted as well: it is the program's own.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

std::string ScanFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Img%05d.jpg", number);
  return name;
}

int ScanFileNumber(const std::string& name) {
  if (name.size() != 12 || CompareNoCase(name.substr(0, 3), "Img") != 0 || CompareNoCase(name.substr(8), ".jpg") != 0)
    return 0;
  int number = 0;
  for (size_t i = 3; i < 8; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

namespace {
constexpr char kScanWriteError[] = "Write Error";

// Numbers 1..last already used in `folder`, from one listing (any case, files or folders).
std::vector<bool> TakenNumbers(const std::string& folder, int last) {
  std::vector<bool> taken(static_cast<size_t>(last) + 1, false);
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(folder, "Img?????.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return taken;
  do {
    // The pattern also lets through names such as "Img 0002.jpg": only exact scan names count.
    int number = ScanFileNumber(found.cFileName);
    if (number >= 1 && number <= last) taken[static_cast<size_t>(number)] = true;
  } while (FindNextFileText(search, &found));
  FindClose(search);
  return taken;
}
}  // namespace

std::string ReserveScanName(const std::string& folder, int last, bool* refused) {
  if (refused) *refused = false;
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
    if (!exists) {
      if (refused) *refused = true;
      return "";
    }
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
  bool refused = false;
  result.path = ReserveScanName(folder, last, &refused);
  if (result.path.empty() && refused) {
    result.outcome = ScanSaveResult::kWriteError;
    result.message = kScanWriteError;
    return result;
  }
  if (result.path.empty()) {
    result.outcome = ScanSaveResult::kNoFreeName;
    result.message = "No free file name for the scanned image (" + ScanFileName(1) + " to " + ScanFileName(last) +
                     " are all taken).";
    return result;
  }
  if (!WriteJpegRgb(result.path.c_str(), pixels.get(), width, height, 75)) {
    DeleteFileA(result.path.c_str());
    result.outcome = ScanSaveResult::kWriteError;
    result.message = kScanWriteError;
    result.path.clear();
  }
  return result;
}
