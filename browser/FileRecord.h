#pragma once
// One listed picture file, as the thumbnail list shows it and the Find dialog filters it.
// Plain value type: copies carry every field, strings by value.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct FileRecord {
  std::string fileName;              // name without folder
  std::string relativePath;          // path behind the scan base, joined behind the prefix
  std::string relativeFolder;        // folder behind the scan base, joined behind the prefix
  uint32_t size = 0;                 // bytes
  int32_t modified = 0;              // last write, seconds since 1970-01-01 UTC
  std::array<std::string, 5> texts;  // empty after a scan
  uint32_t checksum = 0;             // kept for the record layout; never computed
  int checksumValid = 0;
  std::string baseFolder;  // the scan base, full path without mask
  std::string prefix;      // the record prefix given to the scan
  int filled = 0;          // 1 once the scan has filled the record
  int userValue = 0;       // the value given to the scan
  int reserved = 0;
};

// Sort orders of the list (the saved "SortBy" setting).
enum FileSortOrder : int { kSortByName = 0, kSortByDate = 1, kSortBySize = 2 };

// Name order: relative folder, then file name, both case-insensitive.
bool LessByName(const FileRecord& a, const FileRecord& b);
// Date order: oldest first (signed seconds).
bool LessByDate(const FileRecord& a, const FileRecord& b);
// Size order: smallest first (unsigned, so files over 2 GB come last).
bool LessBySize(const FileRecord& a, const FileRecord& b);

// Sorts by one of the orders above (not stable); any other order leaves the list as it is.
void SortRecords(std::vector<FileRecord>& records, int order);
