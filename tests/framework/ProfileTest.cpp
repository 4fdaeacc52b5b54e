#include <windows.h>
#include <gtest/gtest.h>

#include "framework/Profile.h"
#include "framework/WinApp.h"

namespace {

// Each test gets a key of its own below a test root, removed afterwards.
class ProfileTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = "Software\\LumavexTests\\Profile" + std::to_string(GetCurrentProcessId()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    profile_.SetRoot(root_);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str()); }

  bool ValueType(const std::string& section, const char* entry, DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (root_ + "\\" + section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    bool found = RegQueryValueExA(key, entry, nullptr, type, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
  }

  std::string root_;
  RegistryProfile profile_;
};

TEST_F(ProfileTest, IntegersRoundTripAsDwordValues) {
  EXPECT_EQ(profile_.GetInt("Settings", "SortBy", 42), 42);
  ASSERT_TRUE(profile_.WriteInt("Settings", "SortBy", 2));
  ASSERT_TRUE(profile_.WriteInt("Settings", "Negative", -5));
  EXPECT_EQ(profile_.GetInt("Settings", "SortBy", 0), 2);
  EXPECT_EQ(profile_.GetInt("Settings", "Negative", 0), -5);
  DWORD type = 0;
  ASSERT_TRUE(ValueType("Settings", "SortBy", &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(ProfileTest, StringsRoundTripAsStringValues) {
  EXPECT_EQ(profile_.GetString("RecentFolders", "RecentFolder1", "none"), "none");
  ASSERT_TRUE(profile_.WriteString("RecentFolders", "RecentFolder1", "C:\\Photos\\Summer 2003"));
  ASSERT_TRUE(profile_.WriteString("RecentFolders", "Empty", ""));
  EXPECT_EQ(profile_.GetString("RecentFolders", "RecentFolder1"), "C:\\Photos\\Summer 2003");
  EXPECT_EQ(profile_.GetString("RecentFolders", "Empty", "x"), "");
  DWORD type = 0;
  ASSERT_TRUE(ValueType("RecentFolders", "RecentFolder1", &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(ProfileTest, ValueOfTheOtherTypeReadsAsTheDefault) {
  profile_.WriteString("Settings", "ThumbnailSize", "3");
  profile_.WriteInt("Settings", "Name", 3);
  EXPECT_EQ(profile_.GetInt("Settings", "ThumbnailSize", 1), 1);
  EXPECT_EQ(profile_.GetString("Settings", "Name", "d"), "d");
}

TEST_F(ProfileTest, DeletingASectionRemovesAllItsValuesOnly) {
  profile_.WriteString("Favorites", "Favorites1", "a");
  profile_.WriteString("Favorites", "Favorites2", "b");
  profile_.WriteInt("Settings", "SortBy", 1);
  EXPECT_TRUE(profile_.DeleteSection("Favorites"));
  EXPECT_EQ(profile_.GetString("Favorites", "Favorites1", "gone"), "gone");
  EXPECT_EQ(profile_.GetString("Favorites", "Favorites2", "gone"), "gone");
  EXPECT_EQ(profile_.GetInt("Settings", "SortBy", 0), 1);
  EXPECT_TRUE(profile_.DeleteSection("Favorites"));  // deleting an absent section is no failure
}

TEST_F(ProfileTest, WithoutARootNothingIsStored) {
  RegistryProfile unset;
  EXPECT_FALSE(unset.WriteInt("Settings", "SortBy", 1));
  EXPECT_EQ(unset.GetInt("Settings", "SortBy", 9), 9);
}

TEST(ApplicationProfile, RegistryKeyIsCompanyThenApplicationName) {
  CWinApp app("Lumavex");
  app.SetRegistryKey("Local AppWizard-Generated Applications");
  EXPECT_EQ(app.Profile().Root(), "Software\\Local AppWizard-Generated Applications\\Lumavex");
}

}  // namespace
