#include "navigation/FolderQueries.h"

#include <windows.h>

#include "framework/PathText.h"

#include "browser/FileNames.h"

namespace {

bool IsDotEntry(const char* name) { return lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0; }

bool IsSubfolder(const FindData& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotEntry(entry.cFileName);
}

// A search handle closed at scope end.
class FindHandle {
 public:
  explicit FindHandle(const std::string& pattern, FindData& entry)
      : handle_(FitsMaxPath(pattern) ? FindFirstFileText(pattern.c_str(), &entry) : INVALID_HANDLE_VALUE) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool Started() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(FindData& entry) { return FindNextFileText(handle_, &entry) != FALSE; }

 private:
  HANDLE handle_;
};

}  // namespace

bool IsReachablePath(const std::string& path) { return FitsMaxPath(path); }

std::string SubfolderPattern(const std::string& path) { return PathJoin(path, "*.*"); }

bool IsFolder(const std::string& path) {
  if (path.size() == 3) return true;
  if (!IsReachablePath(path)) return false;
  FindData entry;
  FindHandle search(path, entry);
  return search.Started() && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HasSubfolders(const std::string& path) {
  FindData entry;
  FindHandle search(SubfolderPattern(path), entry);
  if (!search.Started()) return false;
  do {
    if (IsSubfolder(entry)) return true;
  } while (search.Next(entry));
  return false;
}

bool ForEachSubfolder(const std::string& path, const std::function<void(const std::string&)>& visit) {
  FindData entry;
  FindHandle search(SubfolderPattern(path), entry);
  if (!search.Started()) return false;
  do {
    if (IsSubfolder(entry)) visit(entry.cFileName);
  } while (search.Next(entry));
  return true;
}
