#include "browser/FileRecord.h"

#include <algorithm>

#include "browser/FileNames.h"

bool LessByName(const FileRecord& a, const FileRecord& b) {
  int folder = CompareNoCase(a.relativeFolder, b.relativeFolder);
  if (folder != 0) return folder < 0;
  return CompareNoCase(a.fileName, b.fileName) < 0;
}

bool LessByDate(const FileRecord& a, const FileRecord& b) { return a.modified < b.modified; }

bool LessBySize(const FileRecord& a, const FileRecord& b) { return a.size < b.size; }

void SortRecords(std::vector<FileRecord>& records, int order) {
  if (records.size() < 2) return;
  switch (order) {
    case kSortByName: std::sort(records.begin(), records.end(), LessByName); break;
    case kSortByDate: std::sort(records.begin(), records.end(), LessByDate); break;
    case kSortBySize: std::sort(records.begin(), records.end(), LessBySize); break;
    default: break;
  }
}
