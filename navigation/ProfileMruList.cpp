#include "navigation/ProfileMruList.h"

#include <algorithm>

#include "framework/WinApp.h"

namespace {
constexpr UINT kRecentFolderCommand = 32891;
constexpr int kRecentFolderSlots = 5;
}  // namespace

CProfileMruList::CProfileMruList(UINT firstCommandId, const char* section, const char* entryFormat, int size)
    : names_(static_cast<size_t>(std::max(size, 1))),
      section_(section),
      entryFormat_(entryFormat),
      firstCommandId_(firstCommandId) {}

std::string CProfileMruList::EntryName(int slot) const {
  // Substituted by hand rather than through printf, so the format can never read stray arguments.
  std::string name = entryFormat_;
  size_t mark = name.find("%d");
  std::string number = std::to_string(slot + 1);
  if (mark == std::string::npos) return name + number;
  return name.replace(mark, 2, number);
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
  for (int i = 0; i < Size(); ++i)
    names_[static_cast<size_t>(i)] = app ? app->GetProfileString(section_.c_str(), EntryName(i).c_str(), "") : "";
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

CProfileMruList RecentFolderList() {
  return CProfileMruList(kRecentFolderCommand, "RecentFolders", "RecentFolder%d", kRecentFolderSlots);
}
