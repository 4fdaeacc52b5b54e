#pragma once
// File names and paths as the A functions take and give them: in the active code page, which
// the program's manifest makes UTF-8. A name of MAX_PATH characters then takes up to 3 bytes a
// character, so every buffer that holds a name or a path is kPathBytes long. Any thread.
#include <windows.h>

#include <string>
#include <string_view>

inline constexpr DWORD kPathBytes = 3 * MAX_PATH;

// WIN32_FIND_DATAA with a name buffer that holds the UTF-8 form of any file name:
// FindFirstFileA/FindNextFileA leave out the names whose UTF-8 form is longer than 259 bytes.
struct FindData {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  char cFileName[kPathBytes];
};

// As FindFirstFileA/FindNextFileA (the handle is closed with FindClose). Names the active code
// page cannot spell are skipped: a name with '?' in it is no file's name.
HANDLE FindFirstFileText(const char* pattern, FindData* data);
BOOL FindNextFileText(HANDLE search, FindData* data);

// `text` of the active code page as UTF-16; empty when it is not valid in that code page.
std::wstring WideFromText(std::string_view text);
// UTF-16 `wide` in the active code page; false when the code page cannot spell it.
bool TextFromWide(std::wstring_view wide, std::string& text);

// Copies `text` with its terminating zero into `buffer` of `size` bytes (none when `size` is 0).
// A text that does not fit is cut before the first character that does not fit whole, never
// inside a UTF-8 character.
void CopyTextCut(std::string_view text, char* buffer, size_t size);

// Whether the A file functions take `path`: fewer than MAX_PATH characters.
bool FitsMaxPath(std::string_view path);

// `text` written in the system's legacy code page (the ANSI code page of the user's locale, which
// the UTF-8 manifest replaces for the A functions), in the active code page; unchanged when the
// two are the same or it does not convert.
std::string TextFromLegacy(std::string_view text);
