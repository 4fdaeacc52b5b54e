#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "navigation/FolderQueries.h"
#include "tests/support/TempDir.h"

namespace {

TEST(FolderQueries, HasSubfoldersCountsHiddenFoldersButNeitherFilesNorDotEntries) {
  TempDir dir;
  ASSERT_TRUE(MakeFolders(dir / "Empty"));
  EXPECT_FALSE(HasSubfolders(dir / "Empty"));
  ASSERT_TRUE(WriteTestFile(dir / "Files\\a.jpg", "x"));
  EXPECT_FALSE(HasSubfolders(dir / "Files"));
  ASSERT_TRUE(MakeFolders(dir / "Hidden\\secret"));
  SetFileAttributesA((dir / "Hidden\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(HasSubfolders(dir / "Hidden"));
  EXPECT_FALSE(HasSubfolders(dir / "missing"));
  // Too long for the ANSI functions: no folders rather than a cut path.
  EXPECT_FALSE(HasSubfolders(dir.Path() + "\\" + std::string(300, 'x')));
  EXPECT_FALSE(IsFolder(dir.Path() + "\\" + std::string(300, 'x')));
}

}  // namespace
