// Runs under tests/browser/run-with-drives.sh, which makes R: a CD-ROM drive of the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "image/ImageSettings.h"
#include "image/JpegFile.h"
#include "tests/support/TempDir.h"

namespace {

TEST(CdromDrive, ThumbnailsUnderTheProgramsDriveFolderMapBackToTheDisc) {
  ASSERT_EQ(GetDriveTypeA("R:\\"), static_cast<UINT>(DRIVE_CDROM)) << "run through run-with-drives.sh";
  EXPECT_EQ(ThumbnailSourcePath("D:\\Tools\\DRVE_R\\Photos\\2001\\a.cpg"), "R:\\Photos\\2001\\a.jpg");
  EXPECT_EQ(ThumbnailSourcePath("D:\\Tools\\DRVE_R\\a.cpg"), "R:\\a.jpg");
  // A fixed drive's letter after the marker is no drive folder.
  EXPECT_EQ(ThumbnailSourcePath("D:\\Tools\\DRVE_C\\a.cpg"), "D:\\Tools\\DRVE_C\\a.jpg");
}

TEST(CdromDrive, ASmallPictureOnTheDiscIsCopiedIntoTheThumbnailFolder) {
  SetThumbnailBox(96);
  TempDir app;
  std::vector<uint8_t> picture(64 * 48 * 3, 90);
  ASSERT_TRUE(MakeFolders("R:\\CdromTest"));
  const std::string source = "R:\\CdromTest\\small.jpg";
  ASSERT_TRUE(WriteJpegRgb(source.c_str(), picture.data(), 64, 48, 75));
  ASSERT_TRUE(MakeFolders(app / "DRVE_R\\CdromTest"));
  const std::string thumb = app / "DRVE_R\\CdromTest\\small.cpg";
  EXPECT_TRUE(WriteJpegThumbnail(thumb.c_str(), picture.data(), 64, 48, 75));
  EXPECT_EQ(ReadTestFile(thumb), ReadTestFile(source));
  DeleteFileA(source.c_str());
}

}  // namespace
