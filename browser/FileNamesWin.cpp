#include <windows.h>

#include "browser/FileNames.h"
#include "framework/PathText.h"

std::string UpperCaseName(std::string_view name) {
  std::wstring wide = WideFromText(name);
  if (wide.empty() || wide.size() > 0x7FFFFFFF) return std::string(name);
  // The invariant upper case, as file systems compare names.
  const int length = static_cast<int>(wide.size());
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, wide.data(), length) != length) {
    return std::string(name);
  }
  std::string upper;
  return TextFromWide(wide, upper) ? upper : std::string(name);
}
