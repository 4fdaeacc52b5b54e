#include "browser/FileNames.h"

#include <algorithm>
#include <cstring>

namespace {

// MatchName works on copies limited like the fixed 128-character buffers it was designed around.
constexpr size_t kMatchBuffer = 128;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
template <typename Char>
bool IsWildcard(Char c) {
  return c == '*' || c == '?';
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The bytes of the first `count` characters of UTF-8 `s` (a byte that is not UTF-8 counts alone).
size_t CharactersPrefix(std::string_view s, size_t count) {
  size_t at = 0;
  for (size_t n = 0; n < count && at < s.size(); ++n) {
    ++at;
    while (at < s.size() && IsContinuation(s[at])) ++at;
  }
  return at;
}

// The characters of `s`, one element each: a UTF-8 sequence packed into one number.
std::u32string Characters(std::string_view s) {
  std::u32string out;
  for (size_t at = 0; at < s.size();) {
    char32_t c = static_cast<unsigned char>(s[at++]);
    while (at < s.size() && IsContinuation(s[at])) c = (c << 8) | static_cast<unsigned char>(s[at++]);
    out.push_back(c);
  }
  return out;
}

// Names beyond ASCII fold through the platform: upper case, then ASCII letters to lower case.
std::string FoldForCompare(std::string_view s) {
  std::string folded = UpperCaseName(s);
  for (char& c : folded) c = LowerAscii(c);
  return folded;
}

template <typename View>
bool MatchFolded(View p, View t) {
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
    View segment = p.substr(0, segmentLength);
    if (segmentLength == p.size()) {
      return t.size() >= segment.size() && t.substr(t.size() - segment.size()) == segment;
    }
    size_t found = t.find(segment);
    if (found == View::npos) return false;
    t.remove_prefix(found + segment.size());
    p.remove_prefix(segmentLength);
  }
}

}  // namespace

std::string MatchCopy(std::string_view s) {
  s = s.substr(0, std::min(s.find('\0'), s.size()));
  if (IsAscii(s)) {
    std::string out(s.substr(0, kMatchBuffer - 1));
    for (char& c : out) c = UpperAscii(c);
    return out;
  }
  return UpperCaseName(s.substr(0, CharactersPrefix(s, kMatchBuffer - 1)));
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(a[i]) >= 0x80 || static_cast<unsigned char>(b[i]) >= 0x80) {
      const std::string x = FoldForCompare(a);
      const std::string y = FoldForCompare(b);
      const int order = std::string_view(x).compare(y);
      return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    unsigned char x = static_cast<unsigned char>(LowerAscii(a[i]));
    unsigned char y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  if (IsAscii(head)) return text.size() >= head.size() && CompareNoCase(text.substr(0, head.size()), head) == 0;
  const std::string foldedHead = FoldForCompare(head);
  const std::string foldedText = FoldForCompare(text.substr(0, CharactersPrefix(text, Characters(head).size())));
  return foldedText == foldedHead;
}

bool MatchName(std::string_view patternText, std::string_view textText) {
  const std::string patternCopy = MatchCopy(patternText);
  const std::string textCopy = MatchCopy(textText);
  if (IsAscii(patternCopy) && IsAscii(textCopy)) return MatchFolded<std::string_view>(patternCopy, textCopy);
  // '?' stands for one character: match character by character.
  const std::u32string pattern = Characters(patternCopy);
  const std::u32string text = Characters(textCopy);
  return MatchFolded<std::u32string_view>(pattern, text);
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
