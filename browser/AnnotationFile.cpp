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

// Where a store's records end, and whether what follows them may be cut off.
struct StoreEnd {
  uint64_t completeEnd = 0;  // end of the last complete record
  uint64_t size = 0;
  // Nothing follows the records, or only the beginning of a record in a store that is otherwise
  // all ours (no refused records).
  bool appendable = true;
};

// Parses the whole file from its start into `map`; false when a read fails.
bool ParseFile(HANDLE file, AnnotationMap& map, StoreEnd& end) {
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return false;
  const uint64_t total = static_cast<uint64_t>(size.QuadPart);
  uint64_t consumed = 0;  // bytes before `pending`
  uint64_t readSoFar = 0;
  size_t refused = 0;
  std::string pending;
  end = StoreEnd{};
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
    refused += parse.refused;
    // Keep only the record that is still incomplete for the next chunk.
    consumed += parse.completeEnd;
    pending.erase(0, parse.completeEnd);
  }
  end.completeEnd = consumed;
  end.size = consumed + pending.size();
  end.appendable = pending.empty() || (refused == 0 && IsRecordBeginning(pending));
  return true;
}

bool SharingRefused(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Opens the store for appending; another program holding it gets about a second to let go.
HANDLE OpenForAppend(const std::string& path, AnnotationWrite& failure) {
  constexpr DWORD kPatienceMs = 1000;
  constexpr DWORD kPauseMs = 50;
  const DWORD start = GetTickCount();
  for (;;) {
    // Others may read while we write, nobody else may write: appends never interleave.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (!SharingRefused(GetLastError())) {
      failure = AnnotationWrite::kNotWritable;
      return INVALID_HANDLE_VALUE;
    }
    if (GetTickCount() - start >= kPatienceMs) {
      failure = AnnotationWrite::kInUse;
      return INVALID_HANDLE_VALUE;
    }
    Sleep(kPauseMs);
  }
}

}  // namespace

std::string AnnotationPathOf(const std::string& folder) { return PathJoin(folder, kAnnotationFileName); }

bool ReadAnnotationFile(const std::string& path, AnnotationMap& map) {
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  StoreEnd end;
  return ParseFile(file.Get(), map, end);
}

bool TouchAnnotationFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid();
}

AnnotationWrite AppendAnnotations(const std::string& path, const std::vector<std::string>& names,
                                  const std::string& text) {
  if (names.empty()) return AnnotationWrite::kAppended;
  std::string records;
  const std::string cutText = CutAnnotationPart(text);
  for (const std::string& name : names) {
    if (name.size() <= kMaxAnnotationPart) AppendAnnotationRecord(records, name, cutText);
  }
  if (records.size() > 0xFFFFFFFFu) return AnnotationWrite::kNotWritable;
  AnnotationWrite failure = AnnotationWrite::kNotWritable;
  FileHandle file(OpenForAppend(path, failure));
  if (!file.Valid()) return failure;
  AnnotationMap ignored;
  StoreEnd end;
  if (!ParseFile(file.Get(), ignored, end)) return AnnotationWrite::kNotWritable;
  // Not a store we can add to: a record appended after bytes that do not read as records would
  // never be read, and cutting them would lose what they are.
  if (!end.appendable) return AnnotationWrite::kDamaged;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(end.completeEnd);
  if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) return AnnotationWrite::kNotWritable;
  if (end.completeEnd != end.size && !SetEndOfFile(file.Get())) return AnnotationWrite::kNotWritable;
  DWORD written = 0;
  const BOOL ok = WriteFile(file.Get(), records.data(), static_cast<DWORD>(records.size()), &written, nullptr);
  if (ok && written == records.size()) return AnnotationWrite::kAppended;
  // A short write would leave a partial record: take it back.
  if (SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
  return AnnotationWrite::kNotWritable;
}
