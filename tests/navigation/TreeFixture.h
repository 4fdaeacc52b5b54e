#pragma once
// The real program started on a Wine prefix with test drives of its own: D: a fixed drive, K: a
// CD-ROM drive and M: a removable drive, each backed by a fresh temporary folder. (Other tests'
// prefixes use Q:, R: and S:.)
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browser/MyListView.h"
#include "navigation/DriveView.h"
#include "tests/app/AppFixture.h"
#include "tests/navigation/WineDrives.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"

class TreeTest : public AppTest {
 protected:
  static constexpr int kDriveD = 3;
  static constexpr int kDriveK = 10;

  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(DefineDrive('D', DRIVE_FIXED, fixed_.Path()));
    ASSERT_TRUE(DefineDrive('M', DRIVE_REMOVABLE, removable_.Path()));
    DefineDisc(disc_.Path(), 0x1111);
  }
  void TearDown() override {
    AppTest::TearDown();
    RemoveDrive('D');
    RemoveDrive('K');
    RemoveDrive('M');
  }

  // Puts `folder` into K: as a disc with the volume serial `serial`.
  void DefineDisc(const std::string& folder, DWORD serial) {
    ASSERT_TRUE(WriteVolumeSerial(folder, serial));
    ASSERT_TRUE(DefineDrive('K', DRIVE_CDROM, folder));
  }
  void Start() {
    ASSERT_TRUE(app_.InitInstance());
    PumpMessages();
  }
  CDriveView* Tree() { return Frame()->DriveView(); }
  CMyListView* List() { return Frame()->ListView(); }
  CMyScrollView* Preview() { return Frame()->Preview(); }
  LRESULT TreeMessage(UINT message, WPARAM wParam, HTREEITEM item) {
    return Tree()->SendMessage(message, wParam, reinterpret_cast<LPARAM>(item));
  }

  // The item of `path` as the tree holds it now (nothing is expanded), or null.
  HTREEITEM Item(const std::string& path) {
    HTREEITEM item = Tree()->FindDriveItem(path.substr(0, 3));
    for (size_t start = 3; item && start < path.size();) {
      size_t cut = path.find('\\', start);
      item = Tree()->FindChild(item, path.substr(start, cut == std::string::npos ? cut : cut - start));
      start = cut == std::string::npos ? path.size() : cut + 1;
    }
    return item;
  }
  std::vector<std::string> Children(HTREEITEM item) {
    std::vector<std::string> texts;
    for (auto child = reinterpret_cast<HTREEITEM>(TreeMessage(TVM_GETNEXTITEM, TVGN_CHILD, item)); child;
         child = reinterpret_cast<HTREEITEM>(TreeMessage(TVM_GETNEXTITEM, TVGN_NEXT, child)))
      texts.push_back(Tree()->ItemText(child));
    return texts;
  }
  bool HasButton(HTREEITEM item) { return TreeMessage(TVM_GETNEXTITEM, TVGN_CHILD, item) != 0; }
  bool IsExpanded(HTREEITEM item) {
    return (Tree()->SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  }
  bool Expand(HTREEITEM item) { return TreeMessage(TVM_EXPAND, TVE_EXPAND, item) != 0; }
  HTREEITEM Selected() { return reinterpret_cast<HTREEITEM>(TreeMessage(TVM_GETNEXTITEM, TVGN_CARET, nullptr)); }
  std::string SelectedPath() { return Selected() ? Tree()->ItemPath(Selected()) : ""; }
  void Choose(HTREEITEM item) { TreeMessage(TVM_SELECTITEM, TVGN_CARET, item); }
  // The most recent folder of the next start (the profile is only reachable through the
  // application once it has started).
  void SetStartFolder(const std::string& path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kProgramKey) + "\\RecentFolders").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "RecentFolder1", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
  }
  std::string Recent(int number) {
    return app_.GetProfileString("RecentFolders", ("RecentFolder" + std::to_string(number)).c_str(), "(none)");
  }
  // The folders chosen since the recent folders were deleted, most recent first (five at most).
  std::vector<std::string> ChosenFolders() {
    std::vector<std::string> chosen;
    for (int number = 1; number <= 5 && Recent(number) != "(none)"; ++number) chosen.push_back(Recent(number));
    return chosen;
  }
  // Clicks the expand button of `item`, as the user does.
  void ClickButton(HTREEITEM item) {
    // Other folders on the drives may have scrolled the item out of the window: the user scrolls
    // it into view (and all the way left, where its button is) before clicking.
    Tree()->SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    Tree()->SendMessage(WM_HSCROLL, SB_LEFT, 0);
    RECT text{};
    std::memcpy(&text, &item, sizeof item);  // the item goes in, its rectangle comes out
    ASSERT_TRUE(Tree()->SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
    const int y = (text.top + text.bottom) / 2;
    for (int x = 0; x < text.left; ++x) {
      TVHITTESTINFO hit{{x, y}, 0, nullptr};
      Tree()->SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.hItem != item || !(hit.flags & TVHT_ONITEMBUTTON)) continue;
      Tree()->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      Tree()->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      return;
    }
    FAIL() << "no button";
  }

  // Drive folders stay until the program ends: Wine's change notifications lose track of
  // subfolders when a new folder reuses the inode of a deleted one.
  static TempDir& FolderKeptUntilExit() {
    static std::vector<std::unique_ptr<TempDir>> kept;
    return *kept.emplace_back(std::make_unique<TempDir>());
  }

  TempDir& fixed_ = FolderKeptUntilExit();      // D:\ .
  TempDir& removable_ = FolderKeptUntilExit();  // M:\ .
  TempDir& disc_ = FolderKeptUntilExit();       // K:\ at the start.
};
