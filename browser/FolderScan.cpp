#include "browser/FolderScan.h"

#include <windows.h>

#include "framework/PathText.h"

#include <algorithm>
#include <limits>

namespace {

constexpr DWORD kPathBuffer = kPathBytes;
constexpr std::string_view kListMask = "*.jpg";

// FILETIME ticks at 1970-01-01 00:00:00 UTC.
constexpr uint64_t kUnixEpochTicks = 116444736000000000ULL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;

// Closes a FindFirstFile search when it goes out of scope.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (Valid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

}  // namespace

int32_t UnixSecondsFromFileTime(uint64_t fileTime) {
  if (fileTime == 0) return 0;
  constexpr uint64_t latest = std::numeric_limits<int32_t>::max();
  constexpr uint64_t earliest = uint64_t{1} << 31;  // seconds before 1970 of INT32_MIN
  if (fileTime >= kUnixEpochTicks) {
    uint64_t seconds = (fileTime - kUnixEpochTicks) / kTicksPerSecond;
    return static_cast<int32_t>(std::min(seconds, latest));
  }
  // Rounded towards the past, as times after 1970 are.
  uint64_t before = (kUnixEpochTicks - fileTime + kTicksPerSecond - 1) / kTicksPerSecond;
  if (before >= earliest) return std::numeric_limits<int32_t>::min();
  return -static_cast<int32_t>(before);
}

CFolderScan::CFolderScan(std::string_view exclusions) {
  while (!exclusions.empty()) {
    size_t cut = exclusions.find(';');
    std::string_view piece = exclusions.substr(0, cut);
    if (!piece.empty()) exclusions_.emplace_back(piece);
    if (cut == std::string_view::npos) break;
    exclusions.remove_prefix(cut + 1);
  }
}

void CFolderScan::Clear() { records_.clear(); }

void CFolderScan::Scan(std::string_view folder, std::string_view prefix, int value) {
  // A folder whose full path does not fit (or is empty) keeps the previous base.
  const std::string folderText(folder);
  char full[kPathBuffer];
  char* namePart = nullptr;
  DWORD length = GetFullPathNameA(folderText.c_str(), kPathBuffer, full, &namePart);
  if (length > 0 && length < kPathBuffer) baseFolder_ = SplitMask(full).folder;
  prefix_ = prefix;
  userValue_ = value;
  ListFolder();
}

void CFolderScan::Sort(int order) { SortRecords(records_, order); }

bool CFolderScan::IsExcluded(std::string_view name) const {
  for (const std::string& pattern : exclusions_) {
    if (MatchName(pattern, name)) return true;
  }
  return false;
}

bool CFolderScan::Accepts(uint32_t attributes, std::string_view name) const {
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY)) return false;
  return !IsExcluded(name);
}

void CFolderScan::ListFolder() {
  // Without a base the search would list the current directory instead.
  if (baseFolder_.empty()) return;
  const std::string search = PathJoin(baseFolder_, kListMask);
  FindData found;
  FindHandle handle(FindFirstFileText(search.c_str(), &found));
  if (!handle.Valid()) return;
  do {
    if (!Accepts(found.dwFileAttributes, found.cFileName)) continue;
    // Only the low 32 bits of the size fit the record.
    records_.push_back(
        MakeRecord(found.cFileName, found.nFileSizeLow, UnixSecondsFromFileTime(Ticks(found.ftLastWriteTime))));
  } while (FindNextFileText(handle.Get(), &found));
}

FileRecord CFolderScan::MakeRecord(const std::string& name, uint32_t size, int32_t modified) const {
  FileRecord record;
  record.fileName = name;
  record.relativePath = RelativeForm(PathJoin(baseFolder_, name), baseFolder_, prefix_, userValue_);
  record.relativeFolder = RelativeForm(baseFolder_, baseFolder_, prefix_, userValue_);
  record.size = size;
  record.modified = modified;
  record.baseFolder = baseFolder_;
  record.prefix = prefix_;
  record.filled = 1;
  record.userValue = userValue_;
  return record;
}
