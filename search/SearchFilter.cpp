#include "search/SearchFilter.h"

#include <algorithm>
#include <unordered_map>

#include "browser/FileNames.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

void SearchByName(const SearchInput& input, const std::atomic<int>& running,
                  const std::function<void(const SearchRow&)>& emit, size_t& rows) {
  for (size_t i = 0; i < input.records.size(); ++i) {
    if (running.load() == 0) return;
    const SearchRecord& record = input.records[i];
    if (!input.nameText.empty() && !ContainsNoCase(record.fileName, input.nameText)) continue;
    SearchRow row;
    row.fileName = record.fileName;
    auto note = input.annotations.find(record.fileName);
    if (note != input.annotations.end()) row.annotation = note->second;
    row.record = &record;
    row.recordIndex = static_cast<int>(i);
    emit(row);
    ++rows;
  }
}

void SearchByAnnotation(const SearchInput& input, const std::atomic<int>& running,
                        const std::function<void(const SearchRow&)>& emit, size_t& rows) {
  // Records by match key; records whose names hold wildcards (none on Windows) are matched
  // one by one.
  std::unordered_map<std::string, std::vector<size_t>> byKey;
  std::vector<size_t> patterns;
  byKey.reserve(input.records.size());
  for (size_t i = 0; i < input.records.size(); ++i) {
    if (HasWildcard(input.records[i].fileName))
      patterns.push_back(i);
    else
      byKey[MatchCopy(input.records[i].fileName)].push_back(i);
  }
  for (const auto& [name, annotation] : input.annotations) {
    if (running.load() == 0) return;
    if (!input.nameText.empty() && !ContainsNoCase(name, input.nameText)) continue;
    if (!ContainsNoCase(annotation, input.annotationText)) continue;
    SearchRow row;
    row.fileName = name;
    row.annotation = annotation;
    // The last matching record in list order stands behind the row.
    size_t best = input.records.size();
    auto found = byKey.find(MatchCopy(name));
    if (found != byKey.end()) best = found->second.back();
    for (size_t i : patterns)
      if (MatchName(input.records[i].fileName, name) && (best == input.records.size() || i > best)) best = i;
    if (best < input.records.size()) {
      row.record = &input.records[best];
      row.recordIndex = static_cast<int>(best);
    }
    emit(row);
    ++rows;
  }
}

}  // namespace

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  // A part with letters beyond ASCII: both fold as file names do (an ASCII part cannot match
  // inside a character of another script, so those need no folding).
  if (std::any_of(part.begin(), part.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
    return UpperCaseName(text).find(UpperCaseName(part)) != std::string::npos;
  if (part.size() > text.size()) return false;
  for (size_t at = 0; at + part.size() <= text.size(); ++at) {
    size_t k = 0;
    while (k < part.size() && Upper(text[at + k]) == Upper(part[k])) ++k;
    if (k == part.size()) return true;
  }
  return false;
}

size_t RunSearch(const SearchInput& input, const std::atomic<int>& running,
                 const std::function<void(const SearchRow&)>& emit) {
  size_t rows = 0;
  if (input.annotationText.empty())
    SearchByName(input, running, emit, rows);
  else
    SearchByAnnotation(input, running, emit, rows);
  return rows;
}
