#include "framework/PathText.h"

#include <cstdlib>
#include <cstring>

namespace {

bool CopyFound(const WIN32_FIND_DATAW& wide, FindData* data) {
  std::string name;
  if (!TextFromWide(wide.cFileName, name) || name.size() >= kPathBytes) return false;
  data->dwFileAttributes = wide.dwFileAttributes;
  data->ftCreationTime = wide.ftCreationTime;
  data->ftLastAccessTime = wide.ftLastAccessTime;
  data->ftLastWriteTime = wide.ftLastWriteTime;
  data->nFileSizeHigh = wide.nFileSizeHigh;
  data->nFileSizeLow = wide.nFileSizeLow;
  std::memcpy(data->cFileName, name.c_str(), name.size() + 1);
  return true;
}

// Moves on to the next entry the active code page can spell.
BOOL NextSpelled(HANDLE search, WIN32_FIND_DATAW& wide, FindData* data) {
  while (FindNextFileW(search, &wide)) {
    if (CopyFound(wide, data)) return TRUE;
  }
  return FALSE;
}

UINT LegacyCodePage() {
  char number[8] = "";
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, sizeof number) > 0) {
    const UINT page = static_cast<UINT>(std::strtoul(number, nullptr, 10));
    if (page != 0 && page != CP_UTF8 && IsValidCodePage(page)) return page;
  }
  return 1252;
}

}  // namespace

HANDLE FindFirstFileText(const char* pattern, FindData* data) {
  const std::wstring widePattern = WideFromText(pattern);
  if (widePattern.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  WIN32_FIND_DATAW wide;
  HANDLE search = FindFirstFileW(widePattern.c_str(), &wide);
  if (search == INVALID_HANDLE_VALUE) return search;
  if (CopyFound(wide, data) || NextSpelled(search, wide, data)) return search;
  FindClose(search);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

BOOL FindNextFileText(HANDLE search, FindData* data) {
  WIN32_FIND_DATAW wide;
  return NextSpelled(search, wide, data);
}

std::wstring WideFromText(std::string_view text) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}

bool TextFromWide(std::wstring_view wide, std::string& text) {
  text.clear();
  if (wide.empty()) return true;
  if (wide.size() > 0x7FFFFFFF) return false;
  const int size = static_cast<int>(wide.size());
  // UTF-8 spells everything; other code pages report characters they replaced.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL replaced = FALSE;
  const int length =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, utf8 ? nullptr : &replaced);
  if (length <= 0 || replaced) return false;
  text.resize(static_cast<size_t>(length));
  WideCharToMultiByte(CP_ACP, flags, wide.data(), size, text.data(), length, nullptr, nullptr);
  return true;
}

void CopyTextCut(std::string_view text, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  size_t length = text.size();
  if (length >= size) {
    length = size - 1;
    // Back off the lead and continuation bytes of a UTF-8 character the cut would split.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

bool FitsMaxPath(std::string_view path) {
  if (path.size() < MAX_PATH) return true;  // never more characters than bytes
  const std::wstring wide = WideFromText(path);
  return !wide.empty() && wide.size() < MAX_PATH;
}

std::string TextFromLegacy(std::string_view text) {
  if (text.empty() || text.size() > 0x7FFFFFFF || GetACP() != CP_UTF8) return std::string(text);
  const UINT page = LegacyCodePage();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::string(text);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(page, 0, text.data(), size, wide.data(), length);
  std::string converted;
  return TextFromWide(wide, converted) ? converted : std::string(text);
}
