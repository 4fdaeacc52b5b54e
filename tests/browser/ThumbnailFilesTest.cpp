#include "browser/ThumbnailFiles.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "browser/ProgramFolders.h"
#include "framework/MessageBox.h"
#include "image/ImageSettings.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

TEST(ThumbnailPath, LiesBesideTheImageOnOtherDrives) {
  // D: is no drive of the test prefix, C: a fixed one.
  const std::string app = "D:\\Tools";
  EXPECT_EQ(ThumbnailPathFor("D:\\Photos\\a.jpg", app), "D:\\Photos\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("D:\\My.Pictures\\a.jpg", app), "D:\\My.Pictures\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("D:\\Photos\\a.old.jpg", app), "D:\\Photos\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("D:\\Photos\\img.2001.jpg", app), "D:\\Photos\\img.cpg");
  EXPECT_EQ(ThumbnailPathFor("D:\\a.jpg", app), "D:\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("C:\\Photos\\a.jpg", app), "C:\\Photos\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("\\\\server\\share\\a.jpg", app), "\\\\server\\share\\a.cpg");
  EXPECT_EQ(ThumbnailFolderFor("D:\\Photos", app), "D:\\Photos");
}

TEST(ThumbnailPath, LiesUnderTheProgramFolderForCdRomAndRemovableDrives) {
  ASSERT_EQ(GetDriveTypeA(kCdRomDrive), static_cast<UINT>(DRIVE_CDROM)) << "run through run-with-drives.sh";
  ASSERT_EQ(GetDriveTypeA(kRemovableDrive), static_cast<UINT>(DRIVE_REMOVABLE));
  const std::string app = "D:\\Tools";
  EXPECT_EQ(ThumbnailPathFor("R:\\Photos\\2001\\a.jpg", app), "D:\\Tools\\DRVE_R\\Photos\\2001\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("R:\\a.jpg", app), "D:\\Tools\\DRVE_R\\a.cpg");
  EXPECT_EQ(ThumbnailPathFor("s:\\x\\b.old.jpg", app), "D:\\Tools\\DRVE_s\\x\\b.cpg");
  EXPECT_EQ(ThumbnailFolderFor("R:\\", app), "D:\\Tools\\DRVE_R");
  EXPECT_EQ(ThumbnailFolderFor("S:\\Photos\\", app), "D:\\Tools\\DRVE_S\\Photos");
  // Without an application folder the thumbnail folders start at the current drive's root.
  EXPECT_EQ(ThumbnailPathFor("R:\\a.jpg", ""), "\\DRVE_R\\a.cpg");
}

// Each temporary file as it came into being: its name and attributes, and its size then.
struct TemporaryFile {
  std::string name;
  uint32_t attributes;
  uint32_t size;
  bool operator==(const TemporaryFile&) const = default;
};

std::mutex g_temporaryLock;
std::vector<TemporaryFile> g_temporaryFiles;

void RecordTemporary(const std::string& path, bool complete) {
  if (complete) return;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  std::lock_guard<std::mutex> hold(g_temporaryLock);
  g_temporaryFiles.push_back({path.substr(path.rfind('\\') + 1), AttributesOf(path), data.nFileSizeLow});
}

class ThumbnailFileTest : public testing::Test {
 protected:
  void SetUp() override { SetThumbnailBox(96); }
  void TearDown() override { SetThumbnailBox(96); }

  TempDir dir_;
  MessageBoxRecorder boxes_;
};

TEST_F(ThumbnailFileTest, LargePictureIsReducedToTheBoxWidthAndHidden) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 640, 480));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "tall.jpg", 480, 640));
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "a.jpg", dir_ / "a.cpg"));
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "tall.jpg", dir_ / "tall.cpg"));
  EXPECT_EQ(JpegSize(dir_ / "a.cpg"), (PictureSize{96, 72}));
  EXPECT_EQ(JpegSize(dir_ / "tall.cpg"), (PictureSize{96, 128}));
  EXPECT_EQ(AttributesOf(dir_ / "a.cpg"), FILE_ATTRIBUTE_HIDDEN);
  // Written under a temporary name and renamed: nothing else is left behind.
  EXPECT_EQ(FileNames(dir_.Path()), (Names{"a.cpg", "a.jpg", "tall.cpg", "tall.jpg"}));

  SetThumbnailBox(192);
  ASSERT_TRUE(DeleteFileA((dir_ / "a.cpg").c_str()));
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "a.jpg", dir_ / "a.cpg"));
  EXPECT_EQ(JpegSize(dir_ / "a.cpg"), (PictureSize{192, 144}));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ThumbnailFileTest, SmallPictureIsAHiddenByteCopyOfItself) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "icon.jpg", 80, 60));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "wide.jpg", 300, 96));  // fits the box in height
  // Read-only, as files copied from a CD-ROM are; the thumbnail must end up hidden alone.
  SetFileAttributesA((dir_ / "icon.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "icon.jpg", dir_ / "icon.cpg"));
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "wide.jpg", dir_ / "wide.cpg"));
  EXPECT_EQ(ReadTestFile(dir_ / "icon.cpg"), ReadTestFile(dir_ / "icon.jpg"));
  EXPECT_EQ(ReadTestFile(dir_ / "wide.cpg"), ReadTestFile(dir_ / "wide.jpg"));
  EXPECT_EQ(AttributesOf(dir_ / "icon.cpg"), FILE_ATTRIBUTE_HIDDEN);

  // An image sharing its title with no x.jpg beside it is copied from itself.
  ASSERT_TRUE(WriteTestJpeg(dir_ / "b.old.jpg", 50, 40));
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "b.old.jpg", dir_ / "b.cpg"));
  EXPECT_EQ(ReadTestFile(dir_ / "b.cpg"), ReadTestFile(dir_ / "b.old.jpg"));
  SetFileAttributesA((dir_ / "icon.jpg").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ThumbnailFileTest, TemporaryFilesAreHiddenFromTheStart) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 640, 480));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "icon.jpg", 80, 60));  // the copy case
  g_temporaryFiles.clear();
  SetTemporaryFileObserver(&RecordTemporary);
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "a.jpg", dir_ / "a.cpg"));
  EXPECT_TRUE(MakeThumbnailFile(dir_ / "icon.jpg", dir_ / "icon.cpg"));
  SetTemporaryFileObserver(nullptr);
  ASSERT_EQ(g_temporaryFiles.size(), 2u);
  const std::string writer = TemporaryName(GetCurrentProcessId(), 0);
  const std::string prefix = writer.substr(0, writer.rfind('-') + 1);  // "~thumb-<our id>-"
  for (const TemporaryFile& file : g_temporaryFiles) {
    EXPECT_EQ(file.name.substr(0, prefix.size()), prefix);
    EXPECT_EQ(file.name.substr(file.name.size() - 4), ".tmp");
    EXPECT_EQ(file.attributes, FILE_ATTRIBUTE_HIDDEN) << file.name;
    EXPECT_EQ(file.size, 0u) << file.name;
  }
  EXPECT_NE(g_temporaryFiles[0].name, g_temporaryFiles[1].name);
  EXPECT_EQ(AttributesOf(dir_ / "a.cpg"), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(AttributesOf(dir_ / "icon.cpg"), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(ReadTestFile(dir_ / "icon.cpg"), ReadTestFile(dir_ / "icon.jpg"));
  EXPECT_EQ(JpegSize(dir_ / "a.cpg"), (PictureSize{96, 72}));
}

TEST_F(ThumbnailFileTest, AnImageAnotherProgramIsWritingWaitsUntilItIsWritten) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 640, 480));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "icon.jpg", 80, 60));
  for (const char* name : {"a.jpg", "icon.jpg"}) {
    HANDLE writer =
        CreateFileA((dir_ / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const std::string thumb = dir_ / ThumbnailNameFor(name);
    EXPECT_FALSE(MakeThumbnailFile(dir_ / name, thumb)) << name;
    EXPECT_FALSE(PathExists(thumb)) << name;
    CloseHandle(writer);
    EXPECT_TRUE(MakeThumbnailFile(dir_ / name, thumb)) << name;
  }
  EXPECT_EQ(JpegSize(dir_ / "a.cpg"), (PictureSize{96, 72}));
  EXPECT_EQ(ReadTestFile(dir_ / "icon.cpg"), ReadTestFile(dir_ / "icon.jpg"));
  EXPECT_EQ(FileNames(dir_.Path(), "~*"), Names{});
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ThumbnailFileTest, AnExistingThumbnailFileIsNeverReplaced) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "icon.jpg", 80, 60));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 640, 480));
  ASSERT_TRUE(WriteTestFile(dir_ / "icon.cpg", "old"));
  ASSERT_TRUE(WriteTestFile(dir_ / "a.cpg", "old"));
  EXPECT_FALSE(MakeThumbnailFile(dir_ / "icon.jpg", dir_ / "icon.cpg"));
  EXPECT_FALSE(MakeThumbnailFile(dir_ / "a.jpg", dir_ / "a.cpg"));
  EXPECT_EQ(ReadTestFile(dir_ / "icon.cpg"), "old");
  EXPECT_EQ(ReadTestFile(dir_ / "a.cpg"), "old");
  EXPECT_EQ(FileNames(dir_.Path()).size(), 4u);
}

TEST_F(ThumbnailFileTest, UnreadableImageOrUnwritableFolderLeavesNothing) {
  ASSERT_TRUE(WriteTestFile(dir_ / "bad.jpg", "not a JPEG at all"));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 640, 480));
  EXPECT_FALSE(MakeThumbnailFile(dir_ / "bad.jpg", dir_ / "bad.cpg"));
  EXPECT_FALSE(MakeThumbnailFile(dir_ / "gone.jpg", dir_ / "gone.cpg"));
  EXPECT_FALSE(MakeThumbnailFile(dir_ / "a.jpg", dir_ / "missing\\a.cpg"));
  EXPECT_EQ(FileNames(dir_.Path()), (Names{"a.jpg", "bad.jpg"}));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ThumbnailFileTest, ListingCreatesTheDriveFoldersOfCdRomAndRemovableDrives) {
  DriveFolder removable(kRemovableDrive);
  const std::string app = dir_ / "Program Files\\Lumavex";
  ASSERT_TRUE(MakeFolders(app));
  const std::string nested = removable / "Photos\\2001";
  ASSERT_TRUE(MakeFolders(nested));

  PrepareThumbnailFolder(nested, app);
  PrepareThumbnailFolder(kCdRomDrive, app);
  PrepareThumbnailFolder(dir_.Path(), app);  // a fixed drive needs none
  EXPECT_TRUE(PathExists(ThumbnailFolderFor(nested, app)));
  EXPECT_EQ(ThumbnailFolderFor(nested, app), app + "\\DRVE_S\\" + removable.Path().substr(3) + "\\Photos\\2001");
  EXPECT_EQ(FileNames(app), (Names{"DRVE_R", "DRVE_S"}));
  // Marked as the program's own, so that uninstalling may remove them.
  EXPECT_EQ(FileNames(app + "\\DRVE_R"), Names{kProgramFolderMarker});
  EXPECT_TRUE(PathExists(app + "\\DRVE_S\\" + kProgramFolderMarker));
}

TEST_F(ThumbnailFileTest, PurgeDeletesOnlyTheCurrentFoldersThumbnailFiles) {
  ChildProcess ended;
  ASSERT_TRUE(ended.Started());
  ended.End();
  const std::string stale = TemporaryName(ended.Id(), 2);
  const std::string ours = TemporaryName(GetCurrentProcessId(), 0xffff);  // a writer of ours
  for (const std::string name :
       {"P\\a.jpg", "P\\a.cpg", "P\\b.cpg", "P\\notes.txt", "P\\~thumb-notes.tmp", "P\\sub\\c.cpg", "Q\\d.cpg"}) {
    ASSERT_TRUE(WriteTestFile(dir_ / name, "x"));
  }
  ASSERT_TRUE(WriteTestFile(dir_ / ("P\\" + stale), "x"));
  ASSERT_TRUE(WriteTestFile(dir_ / ("P\\" + ours), "x"));
  SetFileAttributesA((dir_ / "P\\a.cpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  PurgeThumbnailFiles(dir_ / "P", "D:\\Tools");
  EXPECT_EQ(FileNames(dir_ / "P"), (Names{"a.jpg", "notes.txt", "sub", ours, "~thumb-notes.tmp"}));
  EXPECT_EQ(FileNames(dir_ / "P\\sub"), Names{"c.cpg"});
  EXPECT_EQ(FileNames(dir_ / "Q"), Names{"d.cpg"});

  // On a CD-ROM the files under the program's drive folder go, not those on the disc.
  DriveFolder disc(kCdRomDrive);
  const std::string app = dir_ / "app";
  const std::string drivePart = disc.Path().substr(3);
  ASSERT_TRUE(WriteTestFile(disc / "z.cpg", "x"));
  ASSERT_TRUE(WriteTestFile(app + "\\DRVE_R\\" + drivePart + "\\x.cpg", "x"));
  ASSERT_TRUE(WriteTestFile(app + "\\DRVE_R\\" + drivePart + "\\Other\\y.cpg", "x"));
  PurgeThumbnailFiles(disc.Path(), app);
  EXPECT_EQ(FileNames(app + "\\DRVE_R\\" + drivePart), Names{"Other"});
  EXPECT_EQ(FileNames(app + "\\DRVE_R\\" + drivePart + "\\Other"), Names{"y.cpg"});
  EXPECT_EQ(FileNames(disc.Path()), Names{"z.cpg"});
}

}  // namespace
