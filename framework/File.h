#pragma once
// A file opened through CreateFileA, closed when the object goes. Open flags keep the class
// library's values so that they combine as callers know them.
#include <windows.h>

#include <cstdint>
#include <string>

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,      // create, or truncate an existing file
    modeNoTruncate = 0x2000,  // with modeCreate: open an existing file as it is
  };
  enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

  CFile() = default;
  ~CFile() { Close(); }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens `path`; false (GetLastError tells why) when it cannot. Closes a file already open.
  bool Open(const char* path, UINT flags);
  void Close();
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return handle_; }

  // Bytes read, 0 at the end of the file or on failure.
  UINT Read(void* buffer, UINT count);
  // True when all `count` bytes were written.
  bool Write(const void* buffer, UINT count);
  // New position from the start, or UINT64_MAX on failure.
  uint64_t Seek(int64_t offset, SeekPosition from);
  uint64_t GetLength() const;

  // The full path of the file as opened; kept after Close.
  const std::string& GetFilePath() const { return path_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string path_;
};
