// The naming and saving of scans on real files.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "image/BmpCodec.h"
#include "scan/ScanFiles.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/scan/TwainFixture.h"
#include "tests/support/TempDir.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A 24-bit BMP of one colour (0xRRGGBB).
void WriteSolidBmp(const std::string& path, uint32_t width, uint32_t height, unsigned rgb) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = static_cast<uint8_t>(rgb);
    pixels[i + 1] = static_cast<uint8_t>(rgb >> 8);
    pixels[i + 2] = static_cast<uint8_t>(rgb >> 16);
  }
  BmpCodec codec;
  codec.WriteBmp24(path.c_str(), pixels.data(), width, height);
  ASSERT_EQ(codec.LastError(), "OK");
}

TEST(ScanNames, TransferFileIsJoinedOnceAndRefusedWhenItDoesNotFit) {
  EXPECT_EQ(ScanTransferPath(""), "");
  EXPECT_EQ(ScanTransferPath("D:\\"), "D:\\~Lumavex scan 0001.bmp");
  EXPECT_EQ(ScanTransferPath("D:\\photos", 12), "D:\\photos\\~Lumavex scan 0012.bmp");
  std::string folder232 = "C:\\" + std::string(229, 'a');
  EXPECT_EQ(ScanTransferPath(folder232).size(), 255u);
  EXPECT_EQ(ScanTransferPath(folder232 + "b"), "");
  EXPECT_EQ(ScanFileName(1), "Img00001.jpg");
  EXPECT_EQ(ScanFileName(99999), "Img99999.jpg");
}

TEST(ScanNames, TheLowestFreeNumberIsTakenAndExistingFilesAreNeverTouched) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir / "Img00001.jpg", "first"));
  ASSERT_TRUE(WriteTestFile(dir / "img00003.JPG", "third"));  // names are compared without case
  EXPECT_EQ(ReserveScanName(dir.Path()), dir / "Img00002.jpg");
  EXPECT_EQ(ReserveScanName(dir.Path()), dir / "Img00004.jpg");
  EXPECT_EQ(ReadTestFile(dir / "Img00001.jpg"), "first");
  EXPECT_EQ(ReadTestFile(dir / "img00003.JPG"), "third");
  EXPECT_TRUE(Exists(dir / "Img00002.jpg"));
}

TEST(ScanNames, AFolderOfThatNameCountsAsTaken) {
  TempDir dir;
  ASSERT_TRUE(CreateDirectoryA((dir / "Img00001.jpg").c_str(), nullptr));
  EXPECT_EQ(ReserveScanName(dir.Path()), dir / "Img00002.jpg");
}

TEST(ScanNames, WhenEveryNumberIsTakenNoNameIsGivenAndNothingIsMade) {
  TempDir dir;
  for (int n = 1; n <= 3; ++n) ASSERT_TRUE(WriteTestFile(dir / ScanFileName(n), "x"));
  EXPECT_EQ(ReserveScanName(dir.Path(), 3), "");
  EXPECT_EQ(FileNames(dir.Path()).size(), 3u);
  EXPECT_EQ(ReadTestFile(dir / "Img00003.jpg"), "x");
}

TEST(ScanNames, AFolderThatCannotTakeFilesGivesNoNameAndSaysSo) {
  bool refused = false;
  EXPECT_EQ(ReserveScanName("C:\\no such folder here", kLastScanNumber, &refused), "");
  EXPECT_TRUE(refused);
}

TEST(ScanNames, EveryNameTakenIsNotARefusalOfTheFolder) {
  TempDir dir;
  for (int n = 1; n <= 2; ++n) ASSERT_TRUE(WriteTestFile(dir / ScanFileName(n), "x"));
  bool refused = true;
  EXPECT_EQ(ReserveScanName(dir.Path(), 2, &refused), "");
  EXPECT_FALSE(refused);
  refused = true;
  EXPECT_EQ(ReserveScanName(dir.Path(), 3, &refused), dir / "Img00003.jpg");
  EXPECT_FALSE(refused);
}

TEST(ScanNames, OnlyImgWithFiveDigitsAndJpgIsAScanName) {
  EXPECT_EQ(ScanFileNumber("Img00001.jpg"), 1);
  EXPECT_EQ(ScanFileNumber("iMG99999.JpG"), 99999);
  EXPECT_EQ(ScanFileNumber("Img00000.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Img 0002.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Img+0003.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Img-0003.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Img0004x.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Img00005.jpgx"), 0);
  EXPECT_EQ(ScanFileNumber("Img0006.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Abc00007.jpg"), 0);
  EXPECT_EQ(ScanFileNumber("Img00008.bmp"), 0);
  EXPECT_EQ(ScanFileNumber(""), 0);
}

TEST(ScanNames, NamesThatOnlyLookNumberedLeaveTheirNumberFree) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir / "Img00001.jpg", "first"));
  ASSERT_TRUE(WriteTestFile(dir / "Img 0002.jpg", "blank"));
  ASSERT_TRUE(WriteTestFile(dir / "Img+0003.jpg", "sign"));
  ASSERT_TRUE(WriteTestFile(dir / "Img0004x.jpg", "tail"));
  EXPECT_EQ(ReserveScanName(dir.Path()), dir / "Img00002.jpg");
  EXPECT_EQ(ReserveScanName(dir.Path()), dir / "Img00003.jpg");
  EXPECT_EQ(ReserveScanName(dir.Path()), dir / "Img00004.jpg");
  EXPECT_EQ(ReadTestFile(dir / "Img00001.jpg"), "first");
  EXPECT_EQ(ReadTestFile(dir / "Img 0002.jpg"), "blank");
  EXPECT_EQ(ReadTestFile(dir / "Img+0003.jpg"), "sign");
  EXPECT_EQ(ReadTestFile(dir / "Img0004x.jpg"), "tail");
  EXPECT_EQ(FileNames(dir.Path()).size(), 7u);
}

TEST(ScanNames, FoldersAreTheSameWithoutCaseAndWithOrWithoutTheRootSeparator) {
  EXPECT_TRUE(SameFolder("C:\\Photos\\Trip", "c:\\photos\\TRIP"));
  EXPECT_TRUE(SameFolder("C:\\", "c:"));
  EXPECT_TRUE(SameFolder("T:", "T:\\"));
  EXPECT_TRUE(SameFolder("T:\\", "t:\\"));
  EXPECT_FALSE(SameFolder("C:\\Photos", "C:\\Photos\\Trip"));
  EXPECT_FALSE(SameFolder("C:\\", "D:\\"));
  EXPECT_FALSE(SameFolder("C:\\Photos", ""));
  EXPECT_FALSE(SameFolder("C:\\a", "C:\\b"));
}

TEST(SaveScans, APictureBecomesTheNextNumberedJpeg) {
  TempDir dir;
  WriteSolidBmp(dir / "twain.bmp", 20, 10, 0x2040C0);
  ScanSaveResult saved = SaveScan(dir / "twain.bmp", dir.Path());
  EXPECT_EQ(saved.outcome, ScanSaveResult::kSaved);
  EXPECT_EQ(saved.path, dir / "Img00001.jpg");
  EXPECT_TRUE(saved.message.empty());
  EXPECT_EQ(JpegSize(saved.path).width, 20);
  EXPECT_TRUE(NearColor(MiddleColor(saved.path), 0x2040C0));
  EXPECT_TRUE(Exists(dir / "twain.bmp"));  // left in the folder
}

TEST(SaveScans, AnUnreadableFileGivesTheReadersTextAndNoFile) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir / "twain.bmp", "BM but nothing else"));
  ScanSaveResult saved = SaveScan(dir / "twain.bmp", dir.Path());
  EXPECT_EQ(saved.outcome, ScanSaveResult::kUnreadable);
  EXPECT_FALSE(saved.message.empty());
  EXPECT_NE(saved.message, "OK");
  EXPECT_EQ(FileNames(dir.Path(), "*.jpg").size(), 0u);

  ScanSaveResult missing = SaveScan(dir / "gone.bmp", dir.Path());
  EXPECT_EQ(missing.outcome, ScanSaveResult::kUnreadable);
  EXPECT_EQ(FileNames(dir.Path(), "*.jpg").size(), 0u);
}

TEST(SaveScans, APictureTheEncoderRefusesLeavesNoPartialFile) {
  TempDir dir;
  MessageBoxRecorder boxes;
  // Wider than any JPEG may be: the reserved file is begun and must go again.
  WriteSolidBmp(dir / "twain.bmp", 65536, 1, 0x00FF00);
  ScanSaveResult saved = SaveScan(dir / "twain.bmp", dir.Path());
  EXPECT_EQ(saved.outcome, ScanSaveResult::kWriteError);
  EXPECT_EQ(saved.message, "Write Error");
  EXPECT_TRUE(saved.path.empty());
  EXPECT_EQ(FileNames(dir.Path(), "Img*"), std::vector<std::string>{});
}

TEST(SaveScans, AFolderThatRefusesTheFileIsAWriteErrorNotAFullFolder) {
  TempDir dir;
  WriteSolidBmp(dir / "twain.bmp", 4, 4, 0x0000FF);
  ScanSaveResult saved = SaveScan(dir / "twain.bmp", dir / "no such folder");
  EXPECT_EQ(saved.outcome, ScanSaveResult::kWriteError);
  EXPECT_EQ(saved.message, "Write Error");
  EXPECT_TRUE(saved.path.empty());
  EXPECT_FALSE(Exists(dir / "no such folder"));
}

TEST(SaveScans, WithEveryNameTakenTheUserIsToldAndNothingIsWritten) {
  TempDir dir;
  WriteSolidBmp(dir / "twain.bmp", 4, 4, 0xFF0000);
  for (int n = 1; n <= 2; ++n) ASSERT_TRUE(WriteTestFile(dir / ScanFileName(n), "old"));
  ScanSaveResult saved = SaveScan(dir / "twain.bmp", dir.Path(), 2);
  EXPECT_EQ(saved.outcome, ScanSaveResult::kNoFreeName);
  EXPECT_NE(saved.message.find("Img00002.jpg"), std::string::npos);
  EXPECT_EQ(ReadTestFile(dir / "Img00001.jpg"), "old");
  EXPECT_EQ(ReadTestFile(dir / "Img00002.jpg"), "old");
}

}  // namespace
