#include "navigation/ProfileMruList.h"

#include <algorithm>

#include "framework/FrameWnd.h"
#include "framework/PathText.h"
#include "framework/WinApp.h"
#include "program/CommandIds.h"
#include "program/Settings.h"

namespace {
constexpr UINT kRecentFolderCommand = ID_RECENT_FOLDER_FIRST;
constexpr int kRecentFolderSlots = 5;
constexpr UINT kFavoriteCommand = ID_FAVORITE_FIRST;
constexpr int kFavoriteSlots = 50;
}  // namespace

CProfileMruList::CProfileMruList(UINT firstCommandId, const char* section, const char* entryFormat, int size,
                                 const char* placeholder)
    : names_(static_cast<size_t>(std::max(size, 1))),
      section_(section),
      entryFormat_(entryFormat),
      placeholder_(placeholder ? placeholder : ""),
      firstCommandId_(firstCommandId) {}

std::string CProfileMruList::EntryName(int slot) const {
  // Substituted by hand rather than through printf, so the format can never read stray arguments.
  std::string name = entryFormat_;
  size_t mark = name.find("%d");
  std::string number = std::to_string(slot + 1);
  if (mark == std::string::npos) return name + number;
  return name.replace(mark, 2, number);
}

std::string CProfileMruList::EntryOfCommand(UINT id) const {
  if (id < firstCommandId_ || id - firstCommandId_ >= names_.size()) return "";
  return names_[id - firstCommandId_];
}

void CProfileMruList::Add(const std::string& name) {
  int last = Size() - 1;
  int found = last;
  for (int i = 0; i < last; ++i) {
    if (lstrcmpiA(names_[static_cast<size_t>(i)].c_str(), name.c_str()) == 0) {
      found = i;
      break;
    }
  }
  for (int i = found; i > 0; --i) names_[static_cast<size_t>(i)] = names_[static_cast<size_t>(i - 1)];
  names_[0] = name;
}

void CProfileMruList::ReadList() {
  CWinApp* app = AfxGetApp();
  size_t filled = 0;
  for (int i = 0; i < Size(); ++i) {
    std::string name = app ? app->GetProfileString(section_.c_str(), EntryName(i).c_str(), "") : "";
    if (!name.empty()) names_[filled++] = std::move(name);
  }
  std::fill(names_.begin() + static_cast<std::ptrdiff_t>(filled), names_.end(), std::string());
}

void CProfileMruList::WriteList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  app->DeleteProfileSection(section_.c_str());
  for (int i = 0; i < Size(); ++i) {
    const std::string& name = names_[static_cast<size_t>(i)];
    if (!name.empty()) app->WriteProfileString(section_.c_str(), EntryName(i).c_str(), name.c_str());
  }
}

std::string MenuTextOfEntry(const std::string& name) {
  std::string text;
  text.reserve(name.size() + 4);
  for (char c : name) {
    text += c;
    if (c == '&') text += '&';
  }
  return text;
}

void CProfileMruList::UpdateMenu(CMenuCmdUI& item) {
  HMENU menu = item.Menu();
  if (!menu) {
    item.Enable(!names_[0].empty());
    return;
  }
  if (placeholder_.empty()) {
    char text[kPathBytes] = "";
    if (GetMenuStringA(menu, firstCommandId_, text, sizeof text, MF_BYCOMMAND) > 0) placeholder_ = text;
  }
  // Every item of the list goes, also the entries of an earlier opening; the new ones take the
  // place of the first of them.
  UINT position = item.Index();
  const UINT lastCommandId = firstCommandId_ + static_cast<UINT>(Size()) - 1;
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
    UINT id = GetMenuItemID(menu, i);
    if (id < firstCommandId_ || id > lastCommandId) continue;
    DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (static_cast<UINT>(i) < position) --position;
  }
  if (names_[0].empty()) {
    InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING, firstCommandId_, placeholder_.c_str());
    item.SetIndex(position);
    item.Enable(false);
    return;
  }
  UINT inserted = 0;
  for (const std::string& name : names_) {
    if (name.empty()) break;
    InsertMenuA(menu, position + inserted, MF_BYPOSITION | MF_STRING, firstCommandId_ + inserted,
                MenuTextOfEntry(name).c_str());
    ++inserted;
  }
  item.SetIndex(position + inserted - 1);
  item.Enable(true);
}

CProfileMruList RecentFolderList() {
  return CProfileMruList(kRecentFolderCommand, kRecentFoldersSection, kRecentFolderEntry, kRecentFolderSlots,
                         "Recent Folders List");
}

CProfileMruList FavoriteList() {
  return CProfileMruList(kFavoriteCommand, kFavoritesSection, kFavoriteEntry, kFavoriteSlots, "Favorites List");
}
