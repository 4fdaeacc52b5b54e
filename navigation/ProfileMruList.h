#pragma once
// A numbered list of strings kept in one profile section: the recent folders and the favourites.
// Slot 0 is the most recent entry; "" is an empty slot. Each use makes a fresh list object, reads
// it, works on it and writes it back, so nothing stays in memory between commands.
#include <windows.h>

#include <string>
#include <vector>

class CProfileMruList {
 public:
  // `entryFormat` names slot i as the format with its "%d" replaced by i + 1.
  CProfileMruList(UINT firstCommandId, const char* section, const char* entryFormat, int size);
  virtual ~CProfileMruList() = default;

  // Makes `name` the most recent entry: an entry equal to it (ignoring case) moves to the top,
  // otherwise the last slot drops out.
  virtual void Add(const std::string& name);
  // Fills every slot from the profile, "" where a value is absent.
  virtual void ReadList();
  // Replaces the section by the non-empty slots, each under its own number.
  virtual void WriteList();

  int Size() const { return static_cast<int>(names_.size()); }
  const std::string& operator[](int slot) const { return names_[static_cast<size_t>(slot)]; }
  const std::vector<std::string>& Names() const { return names_; }
  UINT FirstCommandId() const { return firstCommandId_; }
  const std::string& Section() const { return section_; }
  // The value name of slot `slot` (0-based).
  std::string EntryName(int slot) const;

 private:
  std::vector<std::string> names_;
  std::string section_;
  std::string entryFormat_;
  UINT firstCommandId_;
};

// The recent folders: section "RecentFolders", values "RecentFolder1" to "RecentFolder5", menu
// commands from 32891.
CProfileMruList RecentFolderList();
