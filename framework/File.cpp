#include "framework/File.h"

#include "framework/PathText.h"

bool CFile::Open(const char* path, UINT flags) {
  Close();
  if (!path) return false;
  DWORD access = GENERIC_READ;
  if ((flags & 3) == modeWrite) access = GENERIC_WRITE;
  if ((flags & 3) == modeReadWrite) access = GENERIC_READ | GENERIC_WRITE;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  switch (flags & 0x70) {
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    default: break;
  }
  DWORD disposition = OPEN_EXISTING;
  if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  HANDLE handle = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = handle;
  char full[kPathBytes];
  DWORD length = GetFullPathNameA(path, kPathBytes, full, nullptr);
  path_ = (length > 0 && length < kPathBytes) ? std::string(full, length) : std::string(path);
  return true;
}

void CFile::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* buffer, UINT count) {
  DWORD got = 0;
  if (!IsOpen() || !ReadFile(handle_, buffer, count, &got, nullptr)) return 0;
  return got;
}

bool CFile::Write(const void* buffer, UINT count) {
  DWORD written = 0;
  return IsOpen() && WriteFile(handle_, buffer, count, &written, nullptr) && written == count;
}

uint64_t CFile::Seek(int64_t offset, SeekPosition from) {
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!IsOpen() || !SetFilePointerEx(handle_, distance, &position, static_cast<DWORD>(from))) return UINT64_MAX;
  return static_cast<uint64_t>(position.QuadPart);
}

uint64_t CFile::GetLength() const {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(handle_, &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}
