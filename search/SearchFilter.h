#pragma once
// What a search finds, as pure work over copies of the list's records and the folder's
// annotations: no Windows calls, so that it is tested and measured on its own.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/AnnotationStore.h"

// The fields of a listed file that a search shows.
struct SearchRecord {
  std::string fileName;
  uint32_t size = 0;
  int32_t modified = 0;
};

struct SearchInput {
  std::string nameText;        // part of a file name; empty: any
  std::string annotationText;  // part of an annotation; empty: search by name
  std::vector<SearchRecord> records;
  AnnotationMap annotations;
};

struct SearchRow {
  std::string fileName;
  std::string annotation;
  const SearchRecord* record = nullptr;  // null: an annotation whose file is not listed
  int recordIndex = -1;
};

// True when `text` contains `part`, both upper-cased (ASCII letters as the C runtime does; with
// letters beyond ASCII in `part`, all letters as file names fold).
bool ContainsNoCase(std::string_view text, std::string_view part);

// Walks the input and calls `emit` for each row found, in order. `running` is read before each
// record (name mode) or annotation (annotation mode); the walk ends when it is 0. Annotation
// names are paired with records as the wildcard match pairs a record's name with them
// (case-insensitive equality of the first 127 characters for names without wildcards), through
// an index rather than a match per pair. Returns the number of rows emitted.
size_t RunSearch(const SearchInput& input, const std::atomic<int>& running,
                 const std::function<void(const SearchRow&)>& emit);
