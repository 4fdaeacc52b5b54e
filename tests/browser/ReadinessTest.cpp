#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "browser/MyListView.h"
#include "tests/support/TempDir.h"

namespace {

HANDLE OpenFor(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(FolderReadiness, AJpegAnotherProgramIsWritingStillCounts) {
  TempDir dir;
  const std::string image = dir / "copying.jpg";
  ASSERT_TRUE(WriteTestFile(image, "\xFF\xD8\xFF\xE0 first bytes of a photo being copied in"));
  ASSERT_TRUE(WriteTestFile(dir / "notes.txt", "x"));
  // As a copying program holds its target: write access, others may read.
  HANDLE writer = OpenFor(image, GENERIC_WRITE, FILE_SHARE_READ);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FolderHasReadableJpeg(dir.Path()));
  CloseHandle(writer);
  // A writer that lets others read, write and delete too.
  writer = OpenFor(image, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FolderHasReadableJpeg(dir.Path()));
  CloseHandle(writer);
}

TEST(FolderReadiness, AJpegNobodyMayReadOrAHiddenOneDoesNotCount) {
  TempDir dir;
  const std::string image = dir / "locked.jpg";
  ASSERT_TRUE(WriteTestFile(image, "\xFF\xD8"));
  EXPECT_TRUE(FolderHasReadableJpeg(dir.Path()));
  HANDLE exclusive = OpenFor(image, GENERIC_READ, 0);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FolderHasReadableJpeg(dir.Path()));
  CloseHandle(exclusive);

  ASSERT_TRUE(SetFileAttributesA(image.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(FolderHasReadableJpeg(dir.Path()));
  EXPECT_FALSE(FolderHasReadableJpeg(dir / "missing"));
}

}  // namespace
