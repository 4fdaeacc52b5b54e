#include "browser/ThumbnailFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "browser/FileNames.h"
#include "image/ImagePlatform.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"

namespace {

constexpr int kThumbnailQuality = 75;
constexpr char kThumbnailExtension[] = ".cpg";
constexpr char kThumbnailMask[] = "*.cpg";
constexpr char kDriveFolderMarker[] = "\\DRVE_";
// Temporary names match neither "*.jpg" (listings) nor "*.cpg" (thumbnail files).
constexpr char kTemporaryMask[] = "~thumb-*.tmp";

std::atomic<ThumbnailWriteObserver> g_writeObserver{nullptr};

class WriterWatch {
 public:
  explicit WriterWatch(const std::string& thumbPath)
      : observer_(g_writeObserver.load()), thumbPath_(thumbPath) {
    if (observer_) observer_(thumbPath_, true);
  }
  ~WriterWatch() {
    if (observer_) observer_(thumbPath_, false);
  }
  WriterWatch(const WriterWatch&) = delete;
  WriterWatch& operator=(const WriterWatch&) = delete;

 private:
  ThumbnailWriteObserver observer_;
  const std::string& thumbPath_;
};

// "E:" or "E:\...": a path that begins with a drive designator.
bool HasDriveDesignator(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && (path.size() == 2 || path[2] == '\\');
}

bool OnRemovableOrCdRom(const std::string& path) {
  return HasDriveDesignator(path) && image_platform::IsRemovableOrCdRom(path[0]);
}

// The folder's thumbnail folder under the program's folder; the letter is kept as written.
std::string DriveFolder(const std::string& folder, const std::string& appFolder) {
  std::string rest = folder.substr(2);
  while (!rest.empty() && rest.back() == '\\') rest.pop_back();
  return appFolder + kDriveFolderMarker + folder[0] + rest;
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A fresh name in the thumbnail's folder; the process id keeps two running programs apart.
std::string TemporaryPathBeside(const std::string& thumbPath) {
  static std::atomic<unsigned> counter{0};
  char name[64];
  std::snprintf(name, sizeof name, "~thumb-%lx-%x.tmp", GetCurrentProcessId(), counter++);
  return PathJoin(FolderPart(thumbPath), name);
}

// The picture reduced and encoded when it is larger than the box both ways, else a byte copy of
// the image file itself. Should a size command change the box between this check and the
// encoder's own, the encoder's copy finds no picture named after the temporary file, nothing is
// made, and the next request tries again.
bool WriteThumbnailContent(const std::string& imagePath, const std::string& target, uint8_t* pixels,
                           uint32_t width, uint32_t height) {
  const int boxWidth = g_thumbnailWidth.load(), boxHeight = g_thumbnailHeight.load();
  if (boxWidth > 0 && width > static_cast<uint32_t>(boxWidth) &&
      height > static_cast<uint32_t>(std::max(boxHeight, 0))) {
    return WriteJpegThumbnail(target.c_str(), pixels, width, height, kThumbnailQuality);
  }
  return CopyFileA(imagePath.c_str(), target.c_str(), FALSE) != 0;
}

void DeleteMatching(const std::string& folder, const char* mask) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(PathJoin(folder, mask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileA(PathJoin(folder, found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

std::string ThumbnailPathFor(const std::string& imagePath, const std::string& appFolder) {
  const std::string folder = FolderPart(imagePath);
  const std::string name = imagePath.substr(imagePath.rfind('\\') + 1);  // npos + 1 == 0
  const std::string file = name.substr(0, name.find('.')) + kThumbnailExtension;
  if (OnRemovableOrCdRom(imagePath)) return PathJoin(DriveFolder(folder, appFolder), file);
  return PathJoin(folder, file);
}

std::string ThumbnailFolderFor(const std::string& folder, const std::string& appFolder) {
  return OnRemovableOrCdRom(folder) ? DriveFolder(folder, appFolder) : folder;
}

void PrepareThumbnailFolder(const std::string& folder, const std::string& appFolder) {
  if (!OnRemovableOrCdRom(folder)) return;
  const std::string path = DriveFolder(folder, appFolder);
  if (PathExists(path)) return;
  // Every prefix from the first two components on, so that the missing parents come first.
  size_t end = path.find('\\');
  if (end != std::string::npos) end = path.find('\\', end + 1);
  for (;;) {
    CreateDirectoryA(path.substr(0, end).c_str(), nullptr);
    if (end == std::string::npos) return;
    end = path.find('\\', end + 1);
  }
}

bool MakeThumbnailFile(const std::string& imagePath, const std::string& thumbPath) {
  WriterWatch watch(thumbPath);
  uint32_t width = 0, height = 0;
  PixelBlock pixels = ReadJpegRgb(imagePath.c_str(), width, height);
  if (!pixels) return false;
  const std::string temporary = TemporaryPathBeside(thumbPath);
  const bool written = WriteThumbnailContent(imagePath, temporary, pixels.get(), width, height);
  pixels.reset();
  if (written) {
    // Hidden alone: this also clears the read-only attribute a copy from a CD-ROM brings along.
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // The rename never replaces: a thumbnail file that exists is kept, as its copy rule demands.
    if (MoveFileA(temporary.c_str(), thumbPath.c_str())) return true;
  }
  DeleteFileA(temporary.c_str());
  return false;
}

void PurgeThumbnailFiles(const std::string& folder, const std::string& appFolder) {
  const std::string thumbnails = ThumbnailFolderFor(folder, appFolder);
  DeleteMatching(thumbnails, kThumbnailMask);
  DeleteMatching(thumbnails, kTemporaryMask);
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetThumbnailWriteObserver(ThumbnailWriteObserver observer) { g_writeObserver = observer; }
