#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "navigation/ProfileMruList.h"

namespace {

constexpr char kTestKey[] = "Software\\Lumavex Tests\\Navigation";

class ProfileMruListTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    app_.SetRegistryKey("Lumavex Tests");
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

  std::vector<std::string> Slots(const CProfileMruList& list) { return list.Names(); }
  bool HasValue(const char* section, const char* entry) {
    return app_.GetProfileString(section, entry, "\x01") != "\x01";
  }

  CWinApp app_{"Navigation"};
};

using Names = std::vector<std::string>;

TEST_F(ProfileMruListTest, AddMovesARepeatedNameToTheTopAndDropsTheOldestWhenFull) {
  CProfileMruList list = RecentFolderList();
  list.Add("A");
  list.Add("B");
  list.Add("A");
  EXPECT_EQ(Slots(list), (Names{"A", "B", "", "", ""}));

  for (const char* name : {"C", "D", "E", "F"}) list.Add(name);
  EXPECT_EQ(Slots(list), (Names{"F", "E", "D", "C", "A"}));

  // Case is ignored when looking for the name; the new spelling is kept.
  list.Add("d");
  EXPECT_EQ(Slots(list), (Names{"d", "F", "E", "C", "A"}));
  // A name in the last slot is dropped and comes back on top: still no duplicate.
  list.Add("a");
  EXPECT_EQ(Slots(list), (Names{"a", "d", "F", "E", "C"}));
}

TEST_F(ProfileMruListTest, ReadingClosesUpGapsAndWritingReplacesTheSection) {
  app_.WriteProfileString("RecentFolders", "RecentFolder1", "C:\\One");
  app_.WriteProfileString("RecentFolders", "RecentFolder3", "C:\\Three");
  app_.WriteProfileString("RecentFolders", "RecentFolder5", "C:\\Five");
  app_.WriteProfileString("RecentFolders", "RecentFolder9", "C:\\Stray");

  // A gap would end the menu there and hide every later entry for good: the entries close up.
  CProfileMruList list = RecentFolderList();
  list.ReadList();
  EXPECT_EQ(Slots(list), (Names{"C:\\One", "C:\\Three", "C:\\Five", "", ""}));

  list.WriteList();
  EXPECT_EQ(app_.GetProfileString("RecentFolders", "RecentFolder1"), "C:\\One");
  EXPECT_EQ(app_.GetProfileString("RecentFolders", "RecentFolder2"), "C:\\Three");
  EXPECT_EQ(app_.GetProfileString("RecentFolders", "RecentFolder3"), "C:\\Five");
  EXPECT_FALSE(HasValue("RecentFolders", "RecentFolder5"));
  EXPECT_FALSE(HasValue("RecentFolders", "RecentFolder9"));  // the section was replaced

  // A fresh object sees what the last one wrote.
  CProfileMruList again = RecentFolderList();
  again.ReadList();
  again.Add("C:\\Two");
  again.WriteList();
  CProfileMruList third = RecentFolderList();
  third.ReadList();
  EXPECT_EQ(Slots(third), (Names{"C:\\Two", "C:\\One", "C:\\Three", "C:\\Five", ""}));
}

TEST_F(ProfileMruListTest, FavoritesKeepFiftyNamesUnderTheirOwnSection) {
  CProfileMruList favorites = FavoriteList();
  EXPECT_EQ(favorites.Size(), 50);
  EXPECT_EQ(favorites.FirstCommandId(), 32901u);
  for (int i = 1; i <= 51; ++i) favorites.Add("IMG_" + std::to_string(i) + ".jpg");
  favorites.WriteList();
  EXPECT_EQ(app_.GetProfileString("Favorites", "Favorites1"), "IMG_51.jpg");
  EXPECT_EQ(app_.GetProfileString("Favorites", "Favorites50"), "IMG_2.jpg");
  EXPECT_FALSE(HasValue("Favorites", "Favorites51"));
}

TEST_F(ProfileMruListTest, CommandsBeyondTheFilledSlotsStandForNothing) {
  CProfileMruList recent = RecentFolderList();
  recent.Add("C:\\A");
  recent.Add("C:\\B");
  EXPECT_EQ(recent.EntryOfCommand(32891), "C:\\B");
  EXPECT_EQ(recent.EntryOfCommand(32892), "C:\\A");
  EXPECT_EQ(recent.EntryOfCommand(32893), "");  // an empty slot
  EXPECT_EQ(recent.EntryOfCommand(32896), "");  // routed, but past the five slots
  EXPECT_EQ(recent.EntryOfCommand(32890), "");
  EXPECT_FALSE(recent.HasCommand(32896));
  CProfileMruList favorites = FavoriteList();
  for (int i = 0; i < 50; ++i) favorites.Add("F" + std::to_string(i));
  EXPECT_EQ(favorites.EntryOfCommand(32950), "F0");
  EXPECT_EQ(favorites.EntryOfCommand(32951), "");  // past the fifty slots
  EXPECT_EQ(favorites.EntryOfCommand(33000), "");
}

// A popup menu whose third item is the placeholder of `list`, between two other items.
struct PopupWithPlaceholder {
  explicit PopupWithPlaceholder(UINT placeholderId, const char* text) {
    AppendMenuA(menu, MF_STRING, 100, "&Before");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, placeholderId, text);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 101, "&After");
  }
  ~PopupWithPlaceholder() { DestroyMenu(menu); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[300] = "";
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      texts.push_back(text);
    }
    return texts;
  }
  UINT Id(int position) const { return GetMenuItemID(menu, position); }
  bool Grayed(int position) const {
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
  }
  HMENU menu = CreatePopupMenu();
};

TEST_F(ProfileMruListTest, UpdateMenuPutsTheEntriesInPlaceOfThePlaceholder) {
  PopupWithPlaceholder popup(32901, "Favorites List");
  CProfileMruList favorites = FavoriteList();
  favorites.Add("Rock & Roll");
  favorites.Add("IMG.0001.jpg");
  CMenuCmdUI item(32901, popup.menu, 2);
  favorites.UpdateMenu(item);

  EXPECT_EQ(popup.Texts(), (Names{"&Before", "", "IMG.0001.jpg", "Rock && Roll", "", "&After"}));
  EXPECT_EQ(popup.Id(2), 32901u);
  EXPECT_EQ(popup.Id(3), 32902u);
  EXPECT_FALSE(popup.Grayed(2));
  EXPECT_FALSE(popup.Grayed(3));
  EXPECT_EQ(item.Index(), 3u);  // the menu update goes on after the last entry

  // The next opening replaces the entries of the last one; a fresh object reads no placeholder
  // from the menu, whose item now shows an entry.
  CProfileMruList next = FavoriteList();
  next.Add("Only.jpg");
  CMenuCmdUI again(32901, popup.menu, 2);
  next.UpdateMenu(again);
  EXPECT_EQ(popup.Texts(), (Names{"&Before", "", "Only.jpg", "", "&After"}));
  EXPECT_EQ(again.Index(), 2u);

  CProfileMruList empty = FavoriteList();
  CMenuCmdUI last(32901, popup.menu, 2);
  empty.UpdateMenu(last);
  EXPECT_EQ(popup.Texts(), (Names{"&Before", "", "Favorites List", "", "&After"}));
  EXPECT_TRUE(popup.Grayed(2));
  EXPECT_FALSE(last.enabled);
}

TEST_F(ProfileMruListTest, UpdateMenuTakesAnUnknownPlaceholderTextFromTheMenu) {
  PopupWithPlaceholder popup(500, "Nothing yet");
  CProfileMruList list(500, "Custom", "Custom%d", 3);
  CMenuCmdUI item(500, popup.menu, 2);
  list.UpdateMenu(item);
  EXPECT_EQ(popup.Texts()[2], "Nothing yet");
  EXPECT_TRUE(popup.Grayed(2));

  // Five recent folders fill five items; the update goes on with the item after them.
  CProfileMruList recent = RecentFolderList();
  for (const char* name : {"C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5"}) recent.Add(name);
  PopupWithPlaceholder files(32891, "Recent Folders List");
  CMenuCmdUI first(32891, files.menu, 2);
  recent.UpdateMenu(first);
  EXPECT_EQ(GetMenuItemCount(files.menu), 9);
  EXPECT_EQ(files.Id(6), 32895u);
  EXPECT_EQ(first.Index(), 6u);
  EXPECT_EQ(files.Texts()[8], "&After");
}

TEST_F(ProfileMruListTest, EntryFormatsAreNeverHandedToPrintf) {
  CProfileMruList favorites(32901, "Favorites", "Favorites%d", 50);
  EXPECT_EQ(favorites.EntryName(49), "Favorites50");
  CProfileMruList odd(1, "Odd", "Odd%s%d%n", 2);
  EXPECT_EQ(odd.EntryName(1), "Odd%s2%n");
}

TEST(ProfileMruListWithoutApp, ReadsEmptySlotsAndWritesNothing) {
  ASSERT_EQ(AfxGetApp(), nullptr);
  CProfileMruList list = RecentFolderList();
  list.Add("C:\\Kept");
  list.ReadList();
  EXPECT_EQ(list[0], "");
  list.WriteList();
}

}  // namespace
