#include "browser/ThumbnailFiles.h"

#include <windows.h>

#include "framework/PathText.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "browser/FileNames.h"
#include "browser/ProgramFolders.h"
#include "framework/MessageBox.h"
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
constexpr char kTemporaryPrefix[] = "~thumb-";
constexpr char kTemporarySuffix[] = ".tmp";
// File times may lag the clock a little (coarse file system clocks); a second covers it.
constexpr uint64_t kTimeSlack = 10000000ULL;

std::atomic<ThumbnailWriteObserver> g_writeObserver{nullptr};
std::atomic<TemporaryFileObserver> g_temporaryObserver{nullptr};

class WriterWatch {
 public:
  explicit WriterWatch(const std::string& thumbPath) : observer_(g_writeObserver.load()), thumbPath_(thumbPath) {
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

// A fresh name in the thumbnail's folder. The writer's process id in the name tells a later
// listing whether the writer may still run (see WriterMayStillRun).
std::string TemporaryPathBeside(const std::string& thumbPath) {
  static std::atomic<unsigned> counter{0};
  char name[64];
  std::snprintf(name, sizeof name, "%s%lx-%x%s", kTemporaryPrefix, GetCurrentProcessId(), counter++, kTemporarySuffix);
  return PathJoin(FolderPart(thumbPath), name);
}

// Created hidden, so that the file never shows while it is written; never replaces a file.
HANDLE CreateHiddenFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
}

// A C stream over an open handle; the stream owns the handle from then on (also on failure).
std::FILE* StreamOver(HANDLE file) {
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(descriptor, "wb");
  if (!stream) _close(descriptor);
  return stream;
}

bool CopyInto(HANDLE target, const std::string& sourcePath) {
  HANDLE source = CreateFileA(sourcePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (source == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(size_t{64} * 1024);
  bool copied = true;
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      copied = false;
      break;
    }
    if (got == 0) break;
    if (!WriteFile(target, buffer.data(), got, &put, nullptr) || put != got) {
      copied = false;
      break;
    }
  }
  CloseHandle(source);
  return copied;
}

// The reduced picture encoded, or, for a photo that fits the box, a byte copy of the image file
// itself. Should a size command change the box while the picture was made, nothing is written,
// and the next request tries again.
bool WriteThumbnailContent(const std::string& imagePath, const std::string& target, const ThumbnailPicture& picture,
                           int boxWidth, int boxHeight) {
  if (g_thumbnailWidth.load() != boxWidth || g_thumbnailHeight.load() != boxHeight) return false;
  HANDLE file = CreateHiddenFile(target);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (TemporaryFileObserver observer = g_temporaryObserver.load()) observer(target, false);
  if (!picture.fitsBox) {
    std::FILE* stream = StreamOver(file);
    return stream && EncodeJpegRgb(stream, picture.pixels.get(), picture.width, picture.height, kThumbnailQuality);
  }
  const bool copied = CopyInto(file, imagePath);
  return CloseHandle(file) && copied;
}

// An image that another program holds open for writing (being copied in, being saved) is left
// alone: a thumbnail of half a file would stay until purged.
bool BeingWritten(const std::string& imagePath) {
  HANDLE file = CreateFileA(imagePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

void DeleteMatching(const std::string& folder, const char* mask) {
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(folder, mask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileA(PathJoin(folder, found.cFileName).c_str());
  } while (FindNextFileText(search, &found));
  FindClose(search);
}

// 1 to 8 lower-case hex digits, as "%lx" and "%x" write them.
bool ParseHex(std::string_view& text, uint32_t& value) {
  size_t digits = 0;
  value = 0;
  while (digits < text.size() && digits < 9) {
    const char c = text[digits];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) break;
    value = value * 16 + static_cast<uint32_t>(digit);
    ++digits;
  }
  if (digits == 0 || digits > 8) return false;
  text.remove_prefix(digits);
  return true;
}

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

// "~thumb-<writer>-<counter>.tmp" exactly as TemporaryPathBeside writes it; nothing else is ours.
bool ParseTemporaryName(std::string_view name, uint32_t& writer) {
  const std::string_view prefix = kTemporaryPrefix, suffix = kTemporarySuffix;
  if (name.substr(0, prefix.size()) != prefix) return false;
  name.remove_prefix(prefix.size());
  uint32_t counter = 0;
  if (!ParseHex(name, writer) || name.empty() || name[0] != '-') return false;
  name.remove_prefix(1);
  return ParseHex(name, counter) && name == suffix;
}

bool WriterMayStillRun(uint32_t writer, const FILETIME& fileCreated) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, writer);
  // A process we may not look at still runs.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  bool mayRun = WaitForSingleObject(process, 0) != WAIT_OBJECT_0;  // only an ended process is sure
  FILETIME created, exited, kernel, user;
  if (mayRun && GetProcessTimes(process, &created, &exited, &kernel, &user)) {
    // A process started after the file was made only reuses the id of the writer, which has ended.
    mayRun = Ticks(created) <= Ticks(fileCreated) + kTimeSlack;
  }
  CloseHandle(process);
  return mayRun;
}

void DeleteIfStaleTemporary(const std::string& folder, const FindData& found) {
  uint32_t writer = 0;
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
  if (!ParseTemporaryName(found.cFileName, writer)) return;
  if (WriterMayStillRun(writer, found.ftCreationTime)) return;
  DeleteFileA(PathJoin(folder, found.cFileName).c_str());
}

}  // namespace

ExistingThumbnails ExistingThumbnails::Read(const std::string& thumbFolder) {
  ExistingThumbnails existing;
  existing.folderFound_ = PathExists(thumbFolder);
  if (!existing.folderFound_) return existing;
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(thumbFolder, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return existing;
  const std::string_view extension = kThumbnailExtension;
  do {
    const std::string_view name = found.cFileName;
    if (name.size() > extension.size() && CompareNoCase(name.substr(name.size() - extension.size()), extension) == 0) {
      existing.Insert(found.cFileName);
    } else if (name.substr(0, 1) == "~") {
      DeleteIfStaleTemporary(thumbFolder, found);
    }
  } while (FindNextFileText(search, &found));
  FindClose(search);
  return existing;
}

bool ExistingThumbnails::Contains(const std::string& thumbName) const { return names_.count(Key(thumbName)) != 0; }

void ExistingThumbnails::Insert(const std::string& thumbName) { names_.insert(Key(thumbName)); }

std::string ExistingThumbnails::Key(const std::string& thumbName) { return UpperCaseName(thumbName); }

std::string ThumbnailNameFor(const std::string& imageName) {
  return imageName.substr(0, imageName.find('.')) + kThumbnailExtension;
}

std::string ThumbnailPathFor(const std::string& imagePath, const std::string& appFolder) {
  const std::string folder = FolderPart(imagePath);
  const std::string file = ThumbnailNameFor(imagePath.substr(imagePath.rfind('\\') + 1));  // npos + 1 == 0
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
  // The drive's own folder in the program folder is the program's: marked when it is made.
  const std::string driveFolder = DriveFolder(folder.substr(0, 3), appFolder);
  // Every prefix from the first two components on, so that the missing parents come first.
  size_t end = path.find('\\');
  if (end != std::string::npos) end = path.find('\\', end + 1);
  for (;;) {
    const std::string prefix = path.substr(0, end);
    if (CompareNoCase(prefix, driveFolder) == 0)
      MakeProgramFolder(prefix);
    else
      CreateDirectoryA(prefix.c_str(), nullptr);
    if (end == std::string::npos) return;
    end = path.find('\\', end + 1);
  }
}

bool MakeThumbnailFile(const std::string& imagePath, const std::string& thumbPath) {
  WriterWatch watch(thumbPath);
  if (BeingWritten(imagePath)) return false;
  // The choice read before the box: the content is made for this choice of the box or a later one.
  const unsigned choice = g_thumbnailBoxChoices.load();
  auto boxStillChosen = [choice] { return g_thumbnailBoxChoices.load() == choice; };
  // Read the box once: the thumbnail size command may change it while the photo is decoded.
  const int boxWidth = g_thumbnailWidth.load(), boxHeight = g_thumbnailHeight.load();
  ThumbnailPicture picture = ReadJpegThumbnail(imagePath.c_str(), boxWidth, boxHeight);
  // Workers never show boxes: the main window shows it from its own loop.
  if (!picture.warning.empty()) AfxPostMessageBox(picture.warning, kJpegErrorCaption);
  if (!picture.decoded || (!picture.fitsBox && !picture.pixels)) return false;
  const std::string temporary = TemporaryPathBeside(thumbPath);
  const bool written = WriteThumbnailContent(imagePath, temporary, picture, boxWidth, boxHeight);
  picture.pixels.reset();
  if (written) {
    // Hidden alone (created hidden, but the system may add the archive bit).
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (TemporaryFileObserver observer = g_temporaryObserver.load()) observer(temporary, true);
    // The rename never replaces: a thumbnail file that exists is kept, as its copy rule demands.
    if (boxStillChosen() && MoveFileA(temporary.c_str(), thumbPath.c_str())) {
      // A box chosen during the rename purged before this file was there: the file is ours (the
      // rename replaced nothing and the caller's claim keeps other writers off) and goes again.
      if (boxStillChosen()) return true;
      DeleteFileA(thumbPath.c_str());
      return false;
    }
  }
  DeleteFileA(temporary.c_str());
  return false;
}

void PurgeThumbnailFiles(const std::string& folder, const std::string& appFolder) {
  const std::string thumbnails = ThumbnailFolderFor(folder, appFolder);
  DeleteMatching(thumbnails, kThumbnailMask);
  DeleteStaleTemporaryFiles(thumbnails);
}

void DeleteStaleTemporaryFiles(const std::string& folder) {
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(folder, kTemporaryMask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    DeleteIfStaleTemporary(folder, found);
  } while (FindNextFileText(search, &found));
  FindClose(search);
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void SetThumbnailWriteObserver(ThumbnailWriteObserver observer) { g_writeObserver = observer; }

void SetTemporaryFileObserver(TemporaryFileObserver observer) { g_temporaryObserver = observer; }
