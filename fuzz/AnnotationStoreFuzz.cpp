// The annotation store's reader on any bytes, and the search over what it read: parts stay within
// the readers' buffers, the complete part of a store reads the same on its own, records written
// back read back the same, and a search by name and by annotation agrees with a plain walk.
#include <atomic>
#include <string_view>

#include "browser/AnnotationStore.h"
#include "fuzz/FuzzSupport.h"
#include "search/SearchFilter.h"

namespace {

void CheckSearch(const AnnotationMap& map) {
  SearchInput input;
  for (const auto& [name, text] : map) input.records.push_back(SearchRecord{name, 1, 0});
  input.annotations = map;
  const std::atomic<int> running{1};
  size_t rows = 0;
  const size_t named = RunSearch(input, running, [&](const SearchRow& row) {
    FUZZ_CHECK(row.record && row.recordIndex >= 0);
    FUZZ_CHECK(row.annotation == map.at(row.fileName));
    ++rows;
  });
  FUZZ_CHECK(named == rows && rows == map.size());
  // Every annotation contains its own first character; a row of a name without wildcards has a
  // record (its own, or one equal to it but for case).
  if (map.empty()) return;
  input.annotationText = map.begin()->second.substr(0, 1);
  if (input.annotationText.empty()) return;
  RunSearch(input, running, [&](const SearchRow& row) {
    if (row.fileName.find_first_of("*?") == std::string::npos) FUZZ_CHECK(row.record != nullptr);
  });
  const std::atomic<int> stopped{0};
  FUZZ_CHECK(RunSearch(input, stopped, [](const SearchRow&) {}) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  AnnotationMap map;
  const AnnotationParse parse = ParseAnnotations(bytes, map);
  FUZZ_CHECK(parse.completeEnd <= size);
  FUZZ_CHECK(parse.refused <= parse.records && map.size() <= parse.records - parse.refused);
  std::string written;
  for (const auto& [name, text] : map) {
    FUZZ_CHECK(name.size() <= kMaxAnnotationPart && text.size() <= kMaxAnnotationPart);
    AppendAnnotationRecord(written, name, text);
  }
  AnnotationMap prefix;
  ParseAnnotations(bytes.substr(0, parse.completeEnd), prefix);
  FUZZ_CHECK(prefix == map);
  AnnotationMap again;
  const AnnotationParse reread = ParseAnnotations(written, again);
  FUZZ_CHECK(again == map && reread.completeEnd == written.size() && reread.refused == 0);
  FUZZ_CHECK(CutAnnotationPart(bytes).size() <= kMaxAnnotationPart);
  CheckSearch(map);
  return 0;
}
