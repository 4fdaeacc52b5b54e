#include "browser/FileNames.h"

#include <algorithm>
#include <cstring>

namespace {

// MatchName works on copies limited like the fixed 128-byte buffers it was designed around.
constexpr size_t kMatchBuffer = 128;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsWildcard(char c) { return c == '*' || c == '?'; }

}  // namespace

std::string MatchCopy(std::string_view s) {
  size_t end = std::min(s.find('\0'), kMatchBuffer - 1);
  std::string out(s.substr(0, end));
  for (char& c : out) c = UpperAscii(c);
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(LowerAscii(a[i]));
    unsigned char y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  return text.size() >= head.size() && CompareNoCase(text.substr(0, head.size()), head) == 0;
}

bool MatchName(std::string_view patternText, std::string_view textText) {
  const std::string patternCopy = MatchCopy(patternText);
  const std::string textCopy = MatchCopy(textText);
  std::string_view p = patternCopy;
  std::string_view t = textCopy;
  for (;;) {
    if (p.empty()) return t.empty();
    if (p[0] != '*') {
      bool same = !t.empty() && (p[0] == t[0] || p[0] == '?');
      if (!same) return false;
      p.remove_prefix(1);
      t.remove_prefix(1);
      continue;
    }
    size_t run = 0;
    size_t questions = 0;
    while (run < p.size() && IsWildcard(p[run])) {
      if (p[run] == '?') ++questions;
      ++run;
    }
    p.remove_prefix(run);
    if (p.empty()) return t.size() >= questions;
    t.remove_prefix(std::min(questions, t.size()));

    size_t segmentLength = 0;
    while (segmentLength < p.size() && !IsWildcard(p[segmentLength])) ++segmentLength;
    std::string_view segment = p.substr(0, segmentLength);
    if (segmentLength == p.size()) {
      return t.size() >= segment.size() && t.substr(t.size() - segment.size()) == segment;
    }
    size_t found = t.find(segment);
    if (found == std::string_view::npos) return false;
    t.remove_prefix(found + segment.size());
    p.remove_prefix(segmentLength);
  }
}

bool SameFolder(std::string_view a, std::string_view b) {
  auto trimmed = [](std::string_view path) {
    return path.size() == 3 && path[1] == ':' && path[2] == '\\' ? path.substr(0, 2) : path;
  };
  return CompareNoCase(trimmed(a), trimmed(b)) == 0;
}

std::string PathJoin(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return std::string(a) + std::string(b);
  while (a.size() > 1 && IsSeparator(a.back())) a.remove_suffix(1);
  while (!b.empty() && IsSeparator(b.front())) b.remove_prefix(1);
  std::string joined(a);
  joined += '\\';
  joined += b;
  return joined;
}

FolderAndMask SplitMask(std::string_view path) {
  size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) cut = path.rfind('/');
  if (cut != std::string_view::npos) {
    std::string_view tail = path.substr(cut + 1);
    if (tail.find_first_of("*?") != std::string_view::npos) {
      return {std::string(path.substr(0, cut)), std::string(tail)};
    }
  }
  return {std::string(path), "*.*"};
}

std::string RelativeForm(std::string_view path, std::string_view base, std::string_view prefix, int value) {
  if (value != 0 || base.empty()) return std::string(path);
  if (!StartsWithNoCase(path, base)) return PathJoin(prefix, path);
  std::string_view rest = path.substr(base.size());
  if (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
  return PathJoin(prefix, rest);
}
