#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST_F(ProfileMruListTest, ReadsEverySlotAndWritesOnlyTheFilledOnesUnderTheirNumbers) {
  app_.WriteProfileString("RecentFolders", "RecentFolder1", "C:\\One");
  app_.WriteProfileString("RecentFolders", "RecentFolder3", "C:\\Three");
  app_.WriteProfileString("RecentFolders", "RecentFolder9", "C:\\Stray");

  CProfileMruList list = RecentFolderList();
  list.ReadList();
  EXPECT_EQ(Slots(list), (Names{"C:\\One", "", "C:\\Three", "", ""}));

  list.WriteList();
  EXPECT_EQ(app_.GetProfileString("RecentFolders", "RecentFolder1"), "C:\\One");
  EXPECT_EQ(app_.GetProfileString("RecentFolders", "RecentFolder3"), "C:\\Three");
  EXPECT_FALSE(HasValue("RecentFolders", "RecentFolder2"));  // the gap stays
  EXPECT_FALSE(HasValue("RecentFolders", "RecentFolder9"));  // the section was replaced

  // A fresh object sees what the last one wrote.
  CProfileMruList again = RecentFolderList();
  again.ReadList();
  again.Add("C:\\Two");
  again.WriteList();
  CProfileMruList third = RecentFolderList();
  third.ReadList();
  EXPECT_EQ(Slots(third), (Names{"C:\\Two", "C:\\One", "", "C:\\Three", ""}));
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
