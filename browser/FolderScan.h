#pragma once
// Turns one folder into the list of FileRecords the thumbnail list shows: its JPEG files minus
// the names on an exclusion list, each with name, size and time, optionally sorted.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browser/FileNames.h"
#include "browser/FileRecord.h"

// Names that are never listed: help, log, backup and temporary files, and read-me files.
inline constexpr std::string_view kDefaultExclusions =
    "*.txt;*.log;*.sav;*.bak;*.evt;*.gid;*.cnt;*.hlp;*.onl;*.slg;*.tmp;read*.me;readme*.*";

// The prefix the list view gives its scans.
inline constexpr std::string_view kListPrefix = "New Folder\\";

class CFolderScan {
 public:
  // `exclusions`: wildcard patterns separated by ";" (empty pieces are ignored).
  explicit CFolderScan(std::string_view exclusions = kDefaultExclusions);

  void Clear();
  // Appends the JPEG files of `folder` (a folder path, optionally ending in a wildcard mask,
  // which is ignored: the listing is always "*.jpg"). A missing folder adds nothing.
  void Scan(std::string_view folder, std::string_view prefix, int value);
  void Sort(int order);

  const std::vector<FileRecord>& Records() const { return records_; }
  std::vector<FileRecord>& Records() { return records_; }
  size_t Count() const { return records_.size(); }

  const std::string& BaseFolder() const { return baseFolder_; }
  const std::string& Prefix() const { return prefix_; }
  int UserValue() const { return userValue_; }
  const std::vector<std::string>& Exclusions() const { return exclusions_; }
  bool IsExcluded(std::string_view name) const;
  // Whether a search entry with these file attributes and name becomes a record: not a folder,
  // not a temporary file, not excluded.
  bool Accepts(uint32_t attributes, std::string_view name) const;

 private:
  void ListFolder();
  FileRecord MakeRecord(const std::string& name, uint32_t size, int32_t modified) const;

  std::vector<FileRecord> records_;
  std::string baseFolder_;
  std::string prefix_;
  int userValue_ = 0;
  std::vector<std::string> exclusions_;
};

// A FILETIME value (100 ns ticks since 1601, UTC) as seconds since 1970, clamped to the signed
// 32-bit range. 0 stands for "no time": file systems without times report a zero FILETIME.
int32_t UnixSecondsFromFileTime(uint64_t fileTime);
