#include "browser/FolderScan.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

FileRecord Record(const std::string& folder, const std::string& name, uint32_t size = 0, int32_t modified = 0) {
  FileRecord r;
  r.relativeFolder = folder;
  r.fileName = name;
  r.size = size;
  r.modified = modified;
  return r;
}

std::vector<std::string> Names(const std::vector<FileRecord>& records) {
  std::vector<std::string> names;
  for (const FileRecord& r : records) names.push_back(r.fileName);
  return names;
}

std::vector<std::string> SortedNames(const CFolderScan& scan) {
  std::vector<std::string> names = Names(scan.Records());
  std::sort(names.begin(), names.end());
  return names;
}

const FileRecord* Find(const CFolderScan& scan, const std::string& name) {
  for (const FileRecord& r : scan.Records()) {
    if (r.fileName == name) return &r;
  }
  return nullptr;
}

constexpr uint64_t kEpochTicks = 116444736000000000ULL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;

bool SetWriteTime(const std::string& path, int64_t unixSeconds) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint64_t ticks = kEpochTicks + unixSeconds * static_cast<int64_t>(kTicksPerSecond);
  FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  BOOL ok = SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  return ok != 0;
}

}  // namespace

TEST(MatchNameTest, WorkedExamples) {
  EXPECT_TRUE(MatchName("READ*.ME", "README.ME"));
  EXPECT_TRUE(MatchName("READ*.ME", "READ.ME"));
  EXPECT_FALSE(MatchName("READ*.ME", "README.MEX"));
  EXPECT_TRUE(MatchName("*.TXT", "A.TXT"));
  EXPECT_TRUE(MatchName("README*.*", "README1.JPG"));
  EXPECT_FALSE(MatchName("readme*.*", "README"));
  EXPECT_FALSE(MatchName("*.tmp", "X.TMP.JPG"));
  EXPECT_TRUE(MatchName("*.tmp", "X.JPG.TMP"));
  EXPECT_TRUE(MatchName("*", ""));
  EXPECT_TRUE(MatchName("", ""));
  EXPECT_FALSE(MatchName("", "A"));
}

TEST(MatchNameTest, WithoutWildcardsOnlyEqualTextMatchesIgnoringCase) {
  EXPECT_TRUE(MatchName("Photo.JPG", "photo.jpg"));
  EXPECT_FALSE(MatchName("photo.jpg", "photo.jpgx"));
  EXPECT_FALSE(MatchName("photo.jpg", "photo.jp"));
  EXPECT_FALSE(MatchName("photo.jpg", "xphoto.jpg"));
}

TEST(MatchNameTest, OnlyTheFirst127CharactersTakePart) {
  const std::string common(127, 'A');
  EXPECT_TRUE(MatchName(common + "X", common + "Y"));
  EXPECT_TRUE(MatchName(common + "XYZ", common));
  EXPECT_FALSE(MatchName(std::string(126, 'A') + "X", std::string(126, 'A') + "Y"));
  EXPECT_TRUE(MatchName("*.JPG", std::string(123, 'B') + ".JPG" + "trailing"));
}

TEST(MatchNameTest, QuestionMarks) {
  EXPECT_TRUE(MatchName("A?C", "abc"));
  EXPECT_FALSE(MatchName("A?C", "AC"));
  EXPECT_FALSE(MatchName("AB?", "AB"));
  // A trailing run of wildcards needs as many characters as it has question marks.
  EXPECT_FALSE(MatchName("A*??", "A"));
  EXPECT_FALSE(MatchName("A*??", "AB"));
  EXPECT_TRUE(MatchName("A*??", "ABC"));
  EXPECT_TRUE(MatchName("A*??", "ABCDEF"));
  EXPECT_TRUE(MatchName("A?*?", "ABC"));
  // Question marks inside a run skip text before the segment is looked for.
  EXPECT_TRUE(MatchName("*?B", "AB"));
  EXPECT_FALSE(MatchName("*?B", "B"));
  EXPECT_FALSE(MatchName("*??.JPG", "A.JPG"));
  EXPECT_TRUE(MatchName("*??.JPG", "AB.JPG"));
}

TEST(MatchNameTest, SegmentsMatchAtTheirFirstOccurrenceOnly) {
  // A backtracking matcher would pair X with the second X and succeed.
  EXPECT_FALSE(MatchName("*X?Z", "XAXBZ"));
  EXPECT_TRUE(MatchName("*X?Z", "AXBZ"));
  EXPECT_FALSE(MatchName("*AB?D", "ABXABCD"));
  EXPECT_TRUE(MatchName("*AB?D", "ABCD"));
  EXPECT_TRUE(MatchName("*AB*C", "ABC"));
  // A final segment may end the text wherever it first occurred.
  EXPECT_TRUE(MatchName("*.JPG", "A.JPG.JPG"));
  EXPECT_TRUE(MatchName("*A*A", "BAA"));
}

TEST(ExclusionTest, DefaultListDropsReadMeAndHelperFiles) {
  CFolderScan scan;
  ASSERT_EQ(scan.Exclusions().size(), 13u);
  EXPECT_EQ(scan.Exclusions().front(), "*.txt");
  EXPECT_EQ(scan.Exclusions().back(), "readme*.*");
  EXPECT_TRUE(scan.IsExcluded("readme.jpg"));
  EXPECT_TRUE(scan.IsExcluded("ReadMe.jpg"));
  EXPECT_TRUE(scan.IsExcluded("README-2.JPG"));
  EXPECT_TRUE(scan.IsExcluded("read.me"));
  EXPECT_TRUE(scan.IsExcluded("x.TMP"));
  EXPECT_FALSE(scan.IsExcluded("readme"));
  EXPECT_FALSE(scan.IsExcluded("read_me.jpg"));
  EXPECT_FALSE(scan.IsExcluded("my readme.jpg"));
  EXPECT_FALSE(scan.IsExcluded("x.tmp.jpg"));
}

TEST(ExclusionTest, CustomListSkipsEmptyPieces) {
  CFolderScan scan(";*.a;;b*;");
  EXPECT_EQ(scan.Exclusions(), (std::vector<std::string>{"*.a", "b*"}));
  EXPECT_FALSE(scan.IsExcluded(""));
  EXPECT_TRUE(scan.IsExcluded("BIG.jpg"));
  EXPECT_TRUE(CFolderScan("").Exclusions().empty());
}

TEST(PathJoinTest, JoinsWithOneBackslash) {
  EXPECT_EQ(PathJoin("D:\\photos\\", "\\a.jpg"), "D:\\photos\\a.jpg");
  EXPECT_EQ(PathJoin("D:\\photos", "a.jpg"), "D:\\photos\\a.jpg");
  EXPECT_EQ(PathJoin("D:\\photos/\\/", "//\\a.jpg"), "D:\\photos\\a.jpg");
  EXPECT_EQ(PathJoin("D:/photos", "sub/a.jpg"), "D:/photos\\sub/a.jpg");
  EXPECT_EQ(PathJoin("C:\\", "x.jpg"), "C:\\x.jpg");
}

TEST(PathJoinTest, EmptySidesAndShortFirstPiece) {
  EXPECT_EQ(PathJoin("", "x"), "x");
  EXPECT_EQ(PathJoin("", "\\x"), "\\x");
  EXPECT_EQ(PathJoin("a\\", ""), "a\\");
  EXPECT_EQ(PathJoin("", ""), "");
  // The first character of the first piece is never removed.
  EXPECT_EQ(PathJoin("\\", "x"), "\\\\x");
  EXPECT_EQ(PathJoin("//", "x"), "/\\x");
  EXPECT_EQ(PathJoin("a", "\\"), "a\\");
}

TEST(SplitMaskTest, TrailingWildcardPartIsTheMask) {
  FolderAndMask s = SplitMask("C:\\pics\\*.jpg");
  EXPECT_EQ(s.folder, "C:\\pics");
  EXPECT_EQ(s.mask, "*.jpg");
  s = SplitMask("C:\\pics\\photo?.*");
  EXPECT_EQ(s.folder, "C:\\pics");
  EXPECT_EQ(s.mask, "photo?.*");
  s = SplitMask("C:\\*.*");
  EXPECT_EQ(s.folder, "C:");
  EXPECT_EQ(s.mask, "*.*");
}

TEST(SplitMaskTest, WithoutWildcardTheWholeTextIsTheFolder) {
  FolderAndMask s = SplitMask("C:\\pics\\2001");
  EXPECT_EQ(s.folder, "C:\\pics\\2001");
  EXPECT_EQ(s.mask, "*.*");
  s = SplitMask("C:\\pics\\");
  EXPECT_EQ(s.folder, "C:\\pics\\");
  EXPECT_EQ(s.mask, "*.*");
  // Only a backslash-less text is split at its last slash.
  s = SplitMask("C:/pics/*.jpg");
  EXPECT_EQ(s.folder, "C:/pics");
  EXPECT_EQ(s.mask, "*.jpg");
  s = SplitMask("C:\\a*b/photo.jpg");
  EXPECT_EQ(s.folder, "C:");
  EXPECT_EQ(s.mask, "a*b/photo.jpg");
  s = SplitMask("*.jpg");
  EXPECT_EQ(s.folder, "*.jpg");
  EXPECT_EQ(s.mask, "*.*");
}

TEST(RelativeFormTest, PathsUnderTheBaseGoBehindThePrefix) {
  const std::string prefix(kListPrefix);
  EXPECT_EQ(RelativeForm("C:\\Pics\\a.jpg", "C:\\Pics", prefix, 0), "New Folder\\a.jpg");
  EXPECT_EQ(RelativeForm("c:\\pics\\sub\\a.jpg", "C:\\PICS", prefix, 0), "New Folder\\sub\\a.jpg");
  EXPECT_EQ(RelativeForm("C:\\Pics", "C:\\Pics", prefix, 0), "New Folder\\");
  EXPECT_EQ(RelativeForm("C:\\Pics/a.jpg", "C:\\Pics", prefix, 0), "New Folder\\a.jpg");
  EXPECT_EQ(RelativeForm("C:\\Pics\\a.jpg", "C:\\Pics\\", prefix, 0), "New Folder\\a.jpg");
  EXPECT_EQ(RelativeForm("C:\\Pics\\a.jpg", "C:\\Pics", "", 0), "a.jpg");
  // Matching is by characters, not by folder: "C:\Pics2" begins with "C:\Pics".
  EXPECT_EQ(RelativeForm("C:\\Pics2\\a.jpg", "C:\\Pics", prefix, 0), "New Folder\\2\\a.jpg");
}

TEST(RelativeFormTest, OtherPathsAndNonZeroValues) {
  const std::string prefix(kListPrefix);
  EXPECT_EQ(RelativeForm("D:\\other\\a.jpg", "C:\\Pics", prefix, 0), "New Folder\\D:\\other\\a.jpg");
  EXPECT_EQ(RelativeForm("C:\\Pi", "C:\\Pics", prefix, 0), "New Folder\\C:\\Pi");
  EXPECT_EQ(RelativeForm("C:\\Pics\\a.jpg", "C:\\Pics", prefix, 1), "C:\\Pics\\a.jpg");
  EXPECT_EQ(RelativeForm("C:\\Pics\\a.jpg", "C:\\Pics", prefix, -5), "C:\\Pics\\a.jpg");
  EXPECT_EQ(RelativeForm("C:\\Pics\\a.jpg", "", prefix, 0), "C:\\Pics\\a.jpg");
}

TEST(FileTimeTest, ConvertsToSignedUnixSeconds) {
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks), 0);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks + 1000000000ULL * kTicksPerSecond), 1000000000);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks + 15 * kTicksPerSecond + 9999999), 15);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks - kTicksPerSecond), -1);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks - kTicksPerSecond / 2), -1);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks + 0x7FFFFFFFULL * kTicksPerSecond), INT32_MAX);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks + 0x80000000ULL * kTicksPerSecond), INT32_MAX);
  EXPECT_EQ(UnixSecondsFromFileTime(kEpochTicks - 0x80000000ULL * kTicksPerSecond), INT32_MIN);
  EXPECT_EQ(UnixSecondsFromFileTime(1), INT32_MIN);
  EXPECT_EQ(UnixSecondsFromFileTime(0), 0);
}

TEST(SortTest, ByNameComparesFolderThenNameIgnoringCase) {
  std::vector<FileRecord> records{Record("", "b.jpg"), Record("", "A.jpg"), Record("", "c.jpg")};
  SortRecords(records, kSortByName);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"A.jpg", "b.jpg", "c.jpg"}));

  records = {Record("New Folder\\sub\\", "a.jpg"), Record("new folder\\", "Z.jpg"), Record("NEW FOLDER\\", "y.jpg"),
             Record("New Folder\\Sub\\", "B.jpg")};
  SortRecords(records, kSortByName);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"y.jpg", "Z.jpg", "a.jpg", "B.jpg"}));
}

TEST(SortTest, ByDateIsSignedOldestFirst) {
  std::vector<FileRecord> records{Record("", "now", 0, 1000000000), Record("", "1960", 0, -315619200),
                                  Record("", "epoch", 0, 0), Record("", "latest", 0, INT32_MAX),
                                  Record("", "earliest", 0, INT32_MIN)};
  SortRecords(records, kSortByDate);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"earliest", "1960", "epoch", "now", "latest"}));
}

TEST(SortTest, BySizeIsUnsignedSoHugeFilesComeLast) {
  std::vector<FileRecord> records{Record("", "3G", 3000000000u),   Record("", "small", 5),
                                  Record("", "2G+1", 0x80000001u), Record("", "max", 0xFFFFFFFFu),
                                  Record("", "empty", 0),          Record("", "2G-1", 0x7FFFFFFFu)};
  SortRecords(records, kSortBySize);
  EXPECT_EQ(Names(records), (std::vector<std::string>{"empty", "small", "2G-1", "2G+1", "3G", "max"}));
}

TEST(SortTest, UnknownOrdersAndShortListsStayAsTheyAre) {
  const std::vector<FileRecord> original{Record("", "b", 2, 2), Record("", "a", 3, 1), Record("", "c", 1, 3)};
  for (int order : {3, -1, 100}) {
    std::vector<FileRecord> records = original;
    SortRecords(records, order);
    EXPECT_EQ(Names(records), Names(original)) << "order " << order;
  }
  std::vector<FileRecord> one{Record("", "z")};
  SortRecords(one, kSortByName);
  EXPECT_EQ(Names(one), std::vector<std::string>{"z"});
  std::vector<FileRecord> none;
  SortRecords(none, kSortBySize);
  EXPECT_TRUE(none.empty());
}

class FolderScanTest : public testing::Test {
 protected:
  TempDir dir;
  CFolderScan scan;
};

TEST_F(FolderScanTest, ListsJpegFilesOnly) {
  ASSERT_TRUE(WriteTestFile(dir / "photo.JPG", "1"));
  ASSERT_TRUE(WriteTestFile(dir / "b.jpg", "22"));
  ASSERT_TRUE(WriteTestFile(dir / "readme.jpg", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "read_me.jpg", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "notes.txt", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "pic.png", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "b.jpg.bak", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "hidden.jpg", "x"));
  ASSERT_TRUE(SetFileAttributesA((dir / "hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_NE(GetFileAttributesA((dir / "hidden.jpg").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  ASSERT_TRUE(WriteTestFile(dir / "temp.jpg", "x"));
  ASSERT_TRUE(SetFileAttributesA((dir / "temp.jpg").c_str(), FILE_ATTRIBUTE_TEMPORARY));
  ASSERT_TRUE(MakeFolders(dir / "x.jpg"));
  ASSERT_TRUE(WriteTestFile(dir / "sub\\inner.jpg", "x"));

  std::vector<std::string> expected{"b.jpg", "hidden.jpg", "photo.JPG", "read_me.jpg"};
  // Wine stores only the hidden and system attributes, so there the temporary file is ordinary
  // (Accepts covers the attribute itself).
  if ((GetFileAttributesA((dir / "temp.jpg").c_str()) & FILE_ATTRIBUTE_TEMPORARY) == 0) {
    expected.push_back("temp.jpg");
  }
  scan.Scan(dir.Path(), kListPrefix, 0);
  EXPECT_EQ(SortedNames(scan), expected);
}

TEST(AcceptsTest, FoldersTemporaryFilesAndExcludedNamesAreSkipped) {
  CFolderScan scan;
  EXPECT_TRUE(scan.Accepts(FILE_ATTRIBUTE_NORMAL, "a.jpg"));
  EXPECT_TRUE(scan.Accepts(
      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, "a.jpg"));
  EXPECT_FALSE(scan.Accepts(FILE_ATTRIBUTE_DIRECTORY, "a.jpg"));
  EXPECT_FALSE(scan.Accepts(FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_ARCHIVE, "a.jpg"));
  EXPECT_FALSE(scan.Accepts(FILE_ATTRIBUTE_NORMAL, "ReadMe.jpg"));
}

TEST_F(FolderScanTest, ReadMeIsExcludedInAnyCase) {
  ASSERT_TRUE(WriteTestFile(dir / "ReadMe.jpg", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "README2.JPG", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "myreadme.jpg", "x"));
  scan.Scan(dir.Path(), kListPrefix, 0);
  EXPECT_EQ(SortedNames(scan), std::vector<std::string>{"myreadme.jpg"});
}

TEST_F(FolderScanTest, RecordsCarryNameSizeTimeAndScanValues) {
  ASSERT_TRUE(WriteTestFile(dir / "a.jpg", std::string(1234, 'a')));
  ASSERT_TRUE(WriteTestFile(dir / "empty.jpg", ""));
  ASSERT_TRUE(SetWriteTime(dir / "a.jpg", 1000000000));
  ASSERT_TRUE(SetWriteTime(dir / "empty.jpg", -315619200));  // 1960-01-01

  scan.Scan(dir.Path(), kListPrefix, 0);
  ASSERT_EQ(scan.Count(), 2u);
  const FileRecord* a = Find(scan, "a.jpg");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->relativePath, "New Folder\\a.jpg");
  EXPECT_EQ(a->relativeFolder, "New Folder\\");
  EXPECT_EQ(a->size, 1234u);
  EXPECT_EQ(a->modified, 1000000000);
  for (const std::string& text : a->texts) EXPECT_EQ(text, "");
  EXPECT_EQ(a->checksum, 0u);
  EXPECT_EQ(a->checksumValid, 0);
  EXPECT_EQ(a->baseFolder, dir.Path());
  EXPECT_EQ(a->prefix, "New Folder\\");
  EXPECT_EQ(a->filled, 1);
  EXPECT_EQ(a->userValue, 0);
  EXPECT_EQ(a->reserved, 0);

  const FileRecord* empty = Find(scan, "empty.jpg");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->size, 0u);
  EXPECT_EQ(empty->modified, -315619200);

  EXPECT_EQ(scan.BaseFolder(), dir.Path());
  EXPECT_EQ(scan.Prefix(), "New Folder\\");
  EXPECT_EQ(scan.UserValue(), 0);
}

TEST_F(FolderScanTest, NonZeroValueKeepsFullPaths) {
  ASSERT_TRUE(WriteTestFile(dir / "a.jpg", "x"));
  scan.Scan(dir.Path(), "P\\", 7);
  ASSERT_EQ(scan.Count(), 1u);
  const FileRecord& r = scan.Records()[0];
  EXPECT_EQ(r.relativePath, dir / "a.jpg");
  EXPECT_EQ(r.relativeFolder, dir.Path());
  EXPECT_EQ(r.prefix, "P\\");
  EXPECT_EQ(r.userValue, 7);
  EXPECT_EQ(r.filled, 1);
}

TEST_F(FolderScanTest, TrailingMaskAndRelativeFolderGiveTheSameBase) {
  ASSERT_TRUE(WriteTestFile(dir / "a.jpg", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "b.txt", "x"));
  // The mask is split off and ignored: the listing is always *.jpg.
  scan.Scan(dir / "*.txt", kListPrefix, 0);
  EXPECT_EQ(scan.BaseFolder(), dir.Path());
  EXPECT_EQ(SortedNames(scan), std::vector<std::string>{"a.jpg"});

  ASSERT_TRUE(MakeFolders(dir / "sub"));
  scan.Clear();
  scan.Scan(dir / "sub\\..", kListPrefix, 0);
  EXPECT_EQ(scan.BaseFolder(), dir.Path());
  ASSERT_EQ(scan.Count(), 1u);
  EXPECT_EQ(scan.Records()[0].relativePath, "New Folder\\a.jpg");
}

TEST_F(FolderScanTest, ScansAppendAndClearEmpties) {
  ASSERT_TRUE(WriteTestFile(dir / "one\\a.jpg", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "two\\b.jpg", "x"));
  ASSERT_TRUE(WriteTestFile(dir / "two\\c.jpg", "x"));
  scan.Scan(dir / "one", kListPrefix, 0);
  scan.Scan(dir / "two", kListPrefix, 0);
  EXPECT_EQ(SortedNames(scan), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  const FileRecord* a = Find(scan, "a.jpg");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->baseFolder, dir / "one");
  scan.Clear();
  EXPECT_EQ(scan.Count(), 0u);
  EXPECT_TRUE(scan.Records().empty());
}

TEST_F(FolderScanTest, MissingOrEmptyFolderGivesNoRecords) {
  scan.Scan(dir / "missing", kListPrefix, 0);
  EXPECT_EQ(scan.Count(), 0u);
  ASSERT_TRUE(WriteTestFile(dir / "only.png", "x"));
  scan.Scan(dir.Path(), kListPrefix, 0);
  EXPECT_EQ(scan.Count(), 0u);
}

TEST_F(FolderScanTest, PathTooLongForTheBufferKeepsThePreviousBase) {
  ASSERT_TRUE(WriteTestFile(dir / "a.jpg", "x"));
  const std::string tooLong = dir / std::string(300, 'n');

  // Never scanned: no base, so nothing is listed (not the current directory either).
  SetCurrentDirectoryA(dir.Path().c_str());
  scan.Scan(tooLong, kListPrefix, 0);
  EXPECT_EQ(scan.BaseFolder(), "");
  EXPECT_EQ(scan.Count(), 0u);
  SetCurrentDirectoryA("C:\\");

  scan.Scan(dir.Path(), kListPrefix, 0);
  scan.Clear();
  scan.Scan(tooLong, "Q\\", 3);
  EXPECT_EQ(scan.BaseFolder(), dir.Path());
  EXPECT_EQ(scan.Prefix(), "Q\\");
  EXPECT_EQ(scan.UserValue(), 3);
}

TEST_F(FolderScanTest, SortsScannedRecords) {
  ASSERT_TRUE(WriteTestFile(dir / "b.jpg", std::string(30, 'x')));
  ASSERT_TRUE(WriteTestFile(dir / "A.jpg", std::string(10, 'x')));
  ASSERT_TRUE(WriteTestFile(dir / "c.jpg", std::string(20, 'x')));
  ASSERT_TRUE(SetWriteTime(dir / "b.jpg", 100));
  ASSERT_TRUE(SetWriteTime(dir / "A.jpg", 300));
  ASSERT_TRUE(SetWriteTime(dir / "c.jpg", 200));
  scan.Scan(dir.Path(), kListPrefix, 0);
  scan.Sort(kSortByName);
  EXPECT_EQ(Names(scan.Records()), (std::vector<std::string>{"A.jpg", "b.jpg", "c.jpg"}));
  scan.Sort(kSortByDate);
  EXPECT_EQ(Names(scan.Records()), (std::vector<std::string>{"b.jpg", "c.jpg", "A.jpg"}));
  scan.Sort(kSortBySize);
  EXPECT_EQ(Names(scan.Records()), (std::vector<std::string>{"A.jpg", "c.jpg", "b.jpg"}));
  scan.Sort(7);
  EXPECT_EQ(Names(scan.Records()), (std::vector<std::string>{"A.jpg", "c.jpg", "b.jpg"}));
}
