// The folder scan's name helpers on any two strings (the input split at its first NUL or line
// break): wildcard matching, the path join and the mask split, with the properties callers rely
// on.
#include <string_view>

#include "browser/FileNames.h"
#include "fuzz/FuzzSupport.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

void CheckMatch(std::string_view pattern, std::string_view text) {
  MatchName(pattern, text);
  FUZZ_CHECK(MatchName("*", text));
  // A name without wildcards matches itself.
  if (!HasWildcard(text)) FUZZ_CHECK(MatchName(text, text));
}

void CheckJoin(std::string_view a, std::string_view b) {
  const std::string joined = PathJoin(a, b);
  if (a.empty() || b.empty()) {
    FUZZ_CHECK(joined == std::string(a) + std::string(b));
    return;
  }
  FUZZ_CHECK(joined.size() <= a.size() + b.size() + 1);
  std::string_view tail = b;
  while (!tail.empty() && IsSeparator(tail.front())) tail.remove_prefix(1);
  FUZZ_CHECK(joined.size() > tail.size() && joined.compare(joined.size() - tail.size(), tail.size(), tail) == 0);
  FUZZ_CHECK(joined[joined.size() - tail.size() - 1] == '\\');
  FUZZ_CHECK(joined.compare(0, 1, a.substr(0, 1)) == 0);
}

void CheckSplit(std::string_view path) {
  const FolderAndMask split = SplitMask(path);
  if (split.mask == "*.*" && split.folder == path) return;
  FUZZ_CHECK(HasWildcard(split.mask));
  FUZZ_CHECK(split.folder.size() + 1 + split.mask.size() == path.size());
  FUZZ_CHECK(path.substr(0, split.folder.size()) == split.folder);
  FUZZ_CHECK(IsSeparator(path[split.folder.size()]));
  FUZZ_CHECK(path.substr(split.folder.size() + 1) == split.mask);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find_first_of(std::string_view("\0\n", 2));
  const std::string_view first = input.substr(0, cut);
  const std::string_view second = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);
  CheckMatch(first, second);
  CheckMatch(second, first);
  CheckJoin(first, second);
  CheckJoin(second, first);
  CheckSplit(first);
  CheckSplit(input);
  return 0;
}
