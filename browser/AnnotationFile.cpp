#include "browser/AnnotationFile.h"

#include <windows.h>

#include "browser/FileNames.h"
#include "framework/PathText.h"

namespace {

// Bytes read at a time from a large store; a store up to this size is read with one read.
constexpr DWORD kReadChunk = 4u << 20;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Parses the whole file from its start into `map`; returns the end of its last complete record,
// or false when a read fails.
bool ParseFile(HANDLE file, AnnotationMap& map, uint64_t& completeEnd) {
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return false;
  const uint64_t total = static_cast<uint64_t>(size.QuadPart);
  uint64_t consumed = 0;  // bytes before `pending`
  uint64_t readSoFar = 0;
  std::string pending;
  completeEnd = 0;
  while (readSoFar < total) {
    const DWORD want = static_cast<DWORD>(total - readSoFar < kReadChunk ? total - readSoFar : kReadChunk);
    const size_t had = pending.size();
    pending.resize(had + want);
    DWORD got = 0;
    if (!ReadFile(file, pending.data() + had, want, &got, nullptr)) return false;
    pending.resize(had + got);
    if (got == 0) break;
    readSoFar += got;
    const AnnotationParse parse = ParseAnnotations(pending, map, &TextFromLegacy);
    // Keep only the record that is still incomplete for the next chunk.
    consumed += parse.completeEnd;
    completeEnd = consumed;
    pending.erase(0, parse.completeEnd);
  }
  return true;
}

}  // namespace

std::string AnnotationPathOf(const std::string& folder) { return PathJoin(folder, kAnnotationFileName); }

bool ReadAnnotationFile(const std::string& path, AnnotationMap& map) {
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  uint64_t completeEnd = 0;
  return ParseFile(file.Get(), map, completeEnd);
}

bool TouchAnnotationFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid();
}

bool AppendAnnotations(const std::string& path, const std::vector<std::string>& names, const std::string& text) {
  if (names.empty()) return true;
  std::string records;
  const std::string cutText = CutAnnotationPart(text);
  for (const std::string& name : names) {
    if (name.size() <= kMaxAnnotationPart) AppendAnnotationRecord(records, name, cutText);
  }
  if (records.size() > 0xFFFFFFFFu) return false;
  // Others may read while we write, nobody else may write: appends never interleave.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  AnnotationMap ignored;
  uint64_t end = 0;
  if (!ParseFile(file.Get(), ignored, end)) return false;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(end);
  if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file.Get(), records.data(), static_cast<DWORD>(records.size()), &written, nullptr);
  if (ok && written == records.size()) return true;
  // A short write would leave a partial record: take it back.
  if (SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
  return false;
}
