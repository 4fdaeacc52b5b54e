#pragma once
// A numbered list of strings kept in one profile section: the recent folders and the favourites.
// Slot 0 is the most recent entry; "" is an empty slot. Each use makes a fresh list object, reads
// it, works on it and writes it back, so nothing stays in memory between commands. Only the
// user-interface thread uses these lists.
#include <windows.h>

#include <string>
#include <vector>

class CMenuCmdUI;

class CProfileMruList {
 public:
  // `entryFormat` names slot i as the format with its "%d" replaced by i + 1. `placeholder` is the
  // text of the menu item that stands for an empty list; when empty, it is read from the menu.
  CProfileMruList(UINT firstCommandId, const char* section, const char* entryFormat, int size,
                  const char* placeholder = "");
  virtual ~CProfileMruList() = default;

  // Makes `name` the most recent entry: an entry equal to it (ignoring case) moves to the top,
  // otherwise the last slot drops out.
  virtual void Add(const std::string& name);
  // Replaces the placeholder item of `item`'s menu by one item per entry, from the first command
  // id up, '&' doubled so nothing is underlined; with no entries the placeholder comes back,
  // disabled. Tells `item` where the menu update goes on and how many items the menu now has.
  virtual void UpdateMenu(CMenuCmdUI& item);
  // Fills the slots from the profile, in the order of their numbers, closing up gaps (an empty
  // slot would hide every later entry from the menu); "" for the slots left over.
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
  // The entry that command `id` stands for, or "" when the id lies outside the filled slots
  // (the routed command ranges are wider than the lists).
  std::string EntryOfCommand(UINT id) const;
  // Whether command `id` stands for a filled slot.
  bool HasCommand(UINT id) const { return !EntryOfCommand(id).empty(); }

 private:
  std::vector<std::string> names_;
  std::string section_;
  std::string entryFormat_;
  std::string placeholder_;
  UINT firstCommandId_;
};

// Menu text of a list entry: every '&' doubled.
std::string MenuTextOfEntry(const std::string& name);

// The recent folders: section "RecentFolders", values "RecentFolder1" to "RecentFolder5", menu
// commands from 32891.
CProfileMruList RecentFolderList();
// The favourites: section "Favorites", values "Favorites1" to "Favorites50", menu commands from
// 32901.
CProfileMruList FavoriteList();
