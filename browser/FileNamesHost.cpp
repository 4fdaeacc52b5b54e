#include "browser/FileNames.h"

// The host build (sanitizers, fuzzing) has no system upper case: ASCII letters only.
std::string UpperCaseName(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}
