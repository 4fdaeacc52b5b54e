#include "browser/ThumbnailWorker.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "browser/ListMessages.h"
#include "browser/ThumbnailClaims.h"
#include "browser/ThumbnailFiles.h"
#include "image/ImageSettings.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

std::string ToUpper(std::string s) {
  CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

TEST(ThumbnailClaims, HoldASetOfPathsComparedWithoutCase) {
  ThumbnailClaims claims;
  EXPECT_TRUE(claims.TryClaim("C:\\P\\a.cpg"));
  EXPECT_TRUE(claims.TryClaim("C:\\P\\b.cpg"));  // a second claim does not hide the first
  EXPECT_FALSE(claims.TryClaim("c:\\p\\A.CPG"));
  EXPECT_FALSE(claims.TryClaim("C:\\P\\b.cpg"));
  EXPECT_TRUE(claims.TryClaim("C:\\P\\\xC9t\xE9.cpg"));  // Été.cpg
  EXPECT_FALSE(claims.TryClaim("C:\\P\\\xE9T\xC9.CPG"));
  claims.Release("C:\\P\\A.cpg");
  EXPECT_FALSE(claims.IsClaimed("C:\\P\\a.cpg"));
  EXPECT_TRUE(claims.IsClaimed("C:\\P\\b.cpg"));
  claims.Release("C:\\P\\never.cpg");
  EXPECT_EQ(claims.Count(), 2u);
}

TEST(ThumbnailClaims, AHolderGivesBackOnlyWhatItTook) {
  ThumbnailClaims claims;
  {
    ThumbnailClaim first(claims, "C:\\a.cpg");
    ASSERT_TRUE(first);
    {
      ThumbnailClaim second(claims, "C:\\A.cpg");
      EXPECT_FALSE(second);
    }
    EXPECT_TRUE(claims.IsClaimed("C:\\a.cpg"));
  }
  EXPECT_EQ(claims.Count(), 0u);
}

// A message-only window that collects what the workers post to the view.
class ViewWindow {
 public:
  ViewWindow() : hwnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~ViewWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }
  // Removes the posted messages; counts list-folder requests and checks their arguments.
  int TakeListFolders() {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, hwnd_, 0, 0, PM_REMOVE)) {
      EXPECT_EQ(msg.message, kWmListFolder);
      EXPECT_EQ(msg.wParam, 0u);
      EXPECT_EQ(msg.lParam, 0);
      count += msg.message == kWmListFolder;
    }
    return count;
  }

 private:
  HWND hwnd_;
};

class ThumbnailWorkerTest : public testing::Test {
 protected:
  void SetUp() override { SetThumbnailBox(96); }

  HANDLE StartWorker(const std::string& folder) {
    HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(StartThumbnailWorker(folder, view_.Handle(), claims_, app_.Path(), finished));
    return finished;
  }
  // Starts a worker, waits for its end and returns the list-folder requests it posted.
  int RunWorker(const std::string& folder) {
    HANDLE finished = StartWorker(folder);
    EXPECT_EQ(WaitForSingleObject(finished, 60000), WAIT_OBJECT_0);
    CloseHandle(finished);
    return view_.TakeListFolders();
  }

  TempDir dir_;
  TempDir app_;
  ThumbnailClaims claims_;
  ViewWindow view_;
};

TEST_F(ThumbnailWorkerTest, FiftyNewImagesGiveFiftyHiddenFilesAndOneListing) {
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(WriteTestJpeg(dir_ / ("img" + std::to_string(i) + ".jpg"), 160, 120));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "hidden.jpg", 160, 120));
  SetFileAttributesA((dir_ / "hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  {
    WriterLog log;
    EXPECT_EQ(RunWorker(dir_.Path()), 1);
    const Names thumbnails = FileNames(dir_.Path(), "*.cpg");
    ASSERT_EQ(thumbnails.size(), 50u);
    for (const std::string& name : thumbnails) {
      EXPECT_EQ(AttributesOf(dir_ / name), FILE_ATTRIBUTE_HIDDEN) << name;
    }
    EXPECT_EQ(JpegSize(dir_ / "img7.cpg"), (PictureSize{96, 72}));
    EXPECT_EQ(log.Priorities(), std::vector<int>(50, THREAD_PRIORITY_IDLE));
  }
  WriterLog second;
  EXPECT_EQ(RunWorker(dir_.Path()), 0);
  EXPECT_TRUE(second.Writes().empty());
  EXPECT_EQ(FileNames(dir_.Path(), "*.cpg").size(), 50u);
}

// Begins a listing of the folder from inside the first thumbnail write, as a user clicking the
// folder again while its worker runs would.
ThumbnailClaims* g_relistClaims = nullptr;
std::string* g_relistFolder = nullptr;
void RelistOnFirstWrite(const std::string&, bool starting) {
  if (!starting || !g_relistClaims) return;
  g_relistClaims->BeginListing(*g_relistFolder);
  g_relistClaims = nullptr;
}

TEST_F(ThumbnailWorkerTest, ANewListingOfTheFolderEndsTheEarlierWorkerEarly) {
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(WriteTestJpeg(dir_ / ("r" + std::to_string(i) + ".jpg"), 160, 120));
  std::string folder = dir_.Path();
  g_relistClaims = &claims_;
  g_relistFolder = &folder;
  SetThumbnailWriteObserver(RelistOnFirstWrite);
  EXPECT_EQ(RunWorker(folder), 0);  // ended before the end of its search: no listing asked for
  SetThumbnailWriteObserver(nullptr);
  EXPECT_EQ(FileNames(folder, "*.cpg").size(), 1u);
  // The new listing's worker makes the rest; a listing of another folder stops nothing.
  claims_.BeginListing(app_.Path());
  EXPECT_EQ(RunWorker(folder), 1);
  EXPECT_EQ(FileNames(folder, "*.cpg").size(), 6u);
}

TEST_F(ThumbnailWorkerTest, DamagedImageLeavesNoClaimAndIsTriedAgainAtTheNextListing) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "good.jpg", 160, 120));
  ASSERT_TRUE(WriteTestFile(dir_ / "bad.jpg", std::string(100, '\x55')));
  claims_.BeginListing(dir_.Path());
  EXPECT_EQ(RunWorker(dir_.Path()), 1);
  EXPECT_EQ(FileNames(dir_.Path(), "*.cpg"), Names{"good.cpg"});
  EXPECT_EQ(claims_.Count(), 0u);

  // Within the same listing the view does not decode it again (a damaged image warns once).
  WriterLog log;
  EXPECT_TRUE(EnsureThumbnail(dir_ / "bad.jpg", dir_ / "bad.cpg", claims_));
  EXPECT_TRUE(log.Writes().empty());
  // The next listing tries again.
  claims_.BeginListing(dir_.Path());
  EXPECT_TRUE(EnsureThumbnail(dir_ / "bad.jpg", dir_ / "bad.cpg", claims_));
  EXPECT_EQ(log.Writes().size(), 1u);
  EXPECT_FALSE(PathExists(dir_ / "bad.cpg"));
  EXPECT_EQ(claims_.Count(), 0u);
  // Nothing made, so nothing to list again.
  EXPECT_EQ(RunWorker(dir_.Path()), 0);
}

TEST_F(ThumbnailWorkerTest, TheViewLeavesAFileAnotherThreadIsMakingAlone) {
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 160, 120));
  const std::string thumb = dir_ / "a.cpg";
  ASSERT_TRUE(claims_.TryClaim(thumb));  // as a worker does
  EXPECT_FALSE(EnsureThumbnail(dir_ / "a.jpg", thumb, claims_));
  EXPECT_FALSE(PathExists(thumb));
  claims_.Release(thumb);
  EXPECT_TRUE(EnsureThumbnail(dir_ / "a.jpg", thumb, claims_));
  EXPECT_EQ(JpegSize(thumb), (PictureSize{96, 72}));

  // a.old.jpg shares a.cpg, which is already there.
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.old.jpg", 640, 480));
  WriterLog log;
  EXPECT_TRUE(EnsureThumbnail(dir_ / "a.old.jpg", ThumbnailPathFor(dir_ / "a.old.jpg", app_.Path()), claims_));
  EXPECT_TRUE(log.Writes().empty());
  EXPECT_EQ(RunWorker(dir_.Path()), 0);
}

TEST_F(ThumbnailWorkerTest, WorkerWithoutAFolderOrWritableThumbnailsPostsNothing) {
  const std::string vanished = dir_ / "vanished";
  ASSERT_TRUE(MakeFolders(vanished));
  ASSERT_TRUE(WriteTestJpeg(vanished + "\\a.jpg", 160, 120));
  RemoveTree(vanished);
  EXPECT_EQ(RunWorker(vanished), 0);

  // On a removable drive whose thumbnail folder was never made, no file can be written: nothing
  // is decoded for nothing.
  DriveFolder removable(kRemovableDrive);
  ASSERT_TRUE(WriteTestJpeg(removable / "a.jpg", 160, 120));
  ASSERT_TRUE(WriteTestJpeg(removable / "small.jpg", 40, 30));
  {
    WriterLog log;
    EXPECT_EQ(RunWorker(removable.Path()), 0);
    EXPECT_TRUE(log.Writes().empty());
  }
  EXPECT_EQ(FileNames(removable.Path()), (Names{"a.jpg", "small.jpg"}));

  // A path the worker's buffer cannot hold whole is refused, not cut.
  EXPECT_FALSE(StartThumbnailWorker("C:\\" + std::string(300, 'x'), view_.Handle(), claims_, app_.Path()));
}

TEST_F(ThumbnailWorkerTest, CdRomAndRemovableImagesGetTheirFilesUnderTheProgramFolder) {
  DriveFolder disc(kCdRomDrive);
  ASSERT_TRUE(WriteTestJpeg(disc / "a.jpg", 640, 480));
  ASSERT_TRUE(WriteTestJpeg(disc / "small.jpg", 40, 30));
  SetFileAttributesA((disc / "small.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
  PrepareThumbnailFolder(disc.Path(), app_.Path());
  EXPECT_EQ(RunWorker(disc.Path()), 1);
  const std::string thumbnails = app_.Path() + "\\DRVE_R\\" + disc.Path().substr(3);
  EXPECT_EQ(FileNames(thumbnails), (Names{"a.cpg", "small.cpg"}));
  EXPECT_EQ(JpegSize(thumbnails + "\\a.cpg"), (PictureSize{96, 72}));
  EXPECT_EQ(AttributesOf(thumbnails + "\\small.cpg"), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(FileNames(disc.Path(), "*.cpg"), Names{});
  SetFileAttributesA((disc / "small.jpg").c_str(), FILE_ATTRIBUTE_NORMAL);

  // The drive root, which other test programs may share.
  const std::string title = "root" + std::to_string(GetCurrentProcessId());
  const std::string root = kRemovableDrive + title + ".jpg";
  ASSERT_TRUE(WriteTestJpeg(root, 160, 120));
  PrepareThumbnailFolder(kRemovableDrive, app_.Path());
  EXPECT_EQ(RunWorker(kRemovableDrive), 1);
  DeleteFileA(root.c_str());
  EXPECT_EQ(JpegSize(app_.Path() + "\\DRVE_S\\" + title + ".cpg"), (PictureSize{96, 72}));
}

TEST_F(ThumbnailWorkerTest, ThumbnailFilesFoundInOneSearchAreNotMadeAgain) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "c.old.jpg", "d.2001.jpg"}) {
    ASSERT_TRUE(WriteTestJpeg(dir_ / name, 160, 120));
  }
  ASSERT_TRUE(WriteTestFile(dir_ / "A.CPG", "old"));  // names compare without regard to case
  ASSERT_TRUE(WriteTestFile(dir_ / "b.cpg", "old"));
  WriterLog log;
  EXPECT_EQ(RunWorker(dir_.Path()), 1);
  const std::map<std::string, int> writes = log.Writes();
  // c.jpg and c.old.jpg share c.cpg: made once, for whichever came first.
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes.begin()->second, 1);
  EXPECT_EQ(writes.begin()->first, ToUpper(dir_ / "c.cpg"));
  EXPECT_EQ(FileNames(dir_.Path(), "*.cpg"), (Names{"A.CPG", "b.cpg", "c.cpg", "d.cpg"}));
  EXPECT_EQ(ReadTestFile(dir_ / "A.CPG"), "old");
  EXPECT_EQ(ReadTestFile(dir_ / "b.cpg"), "old");
}

TEST_F(ThumbnailWorkerTest, ADamagedImageDoesNotKeepTheImageSharingItsTitleFromItsFile) {
  // Whichever of each pair the search returns first, the good one makes the shared file.
  Names expected;
  for (int i = 0; i < 8; ++i) {
    const std::string title = "s" + std::to_string(i);
    ASSERT_TRUE(WriteTestFile(dir_ / (title + ".jpg"), "garbage"));
    ASSERT_TRUE(WriteTestJpeg(dir_ / (title + ".old.jpg"), 160, 120));
    expected.push_back(title + ".cpg");
  }
  EXPECT_EQ(RunWorker(dir_.Path()), 1);
  EXPECT_EQ(FileNames(dir_.Path(), "*.cpg"), expected);
  EXPECT_EQ(JpegSize(dir_ / "s5.cpg"), (PictureSize{96, 72}));
}

TEST_F(ThumbnailWorkerTest, AListingDeletesOnlyTheTemporaryFilesOfWritersThatNoLongerRun) {
  ChildProcess ended;
  ChildProcess running;  // started before its file was made: its writer may still write
  ASSERT_TRUE(ended.Started() && running.Started());
  ended.End();
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 160, 120));
  const std::string stale = TemporaryName(ended.Id(), 1);
  const Names kept = {TemporaryName(GetCurrentProcessId(), 0xffff), TemporaryName(running.Id(), 2),
                      // not our exact pattern: a user's own files
                      "x~thumb-4-1.tmp", "~THUMB-4-1.TMP", "~thumb--1.tmp", "~thumb-4-.tmp", "~thumb-4-1.tmp.bak",
                      "~thumb-123456789-1.tmp", "~thumb-notes.tmp", "~thumb-4-1-2.tmp"};
  ASSERT_TRUE(WriteTestFile(dir_ / stale, "x"));
  for (const std::string& name : kept) ASSERT_TRUE(WriteTestFile(dir_ / name, "x")) << name;
  const std::string folderLikeOurs = TemporaryName(ended.Id(), 3);
  ASSERT_TRUE(MakeFolders(dir_ / folderLikeOurs));

  EXPECT_EQ(RunWorker(dir_.Path()), 1);
  Names expected = kept;
  expected.push_back(folderLikeOurs);
  std::sort(expected.begin(), expected.end());
  Names left = FileNames(dir_.Path(), "*~*");
  EXPECT_EQ(left, expected);

  // On a CD-ROM the temporary files lie in the thumbnail folder under the program's folder.
  DriveFolder disc(kCdRomDrive);
  ASSERT_TRUE(WriteTestJpeg(disc / "b.jpg", 160, 120));
  PrepareThumbnailFolder(disc.Path(), app_.Path());
  const std::string thumbnails = ThumbnailFolderFor(disc.Path(), app_.Path());
  ASSERT_TRUE(WriteTestFile(thumbnails + "\\" + stale, "x"));
  ASSERT_TRUE(WriteTestFile(thumbnails + "\\" + kept[1], "x"));
  EXPECT_EQ(RunWorker(disc.Path()), 1);
  EXPECT_EQ(FileNames(thumbnails), (Names{"b.cpg", kept[1]}));
}

TEST_F(ThumbnailWorkerTest, ATemporaryFileOlderThanTheProcessNowUsingItsIdIsStale) {
  // The file is made, then a process starts and is given the id in its name, as happens when a
  // crashed writer's id is handed out again.
  ASSERT_TRUE(WriteTestFile(dir_ / "made-before.tmp", "x"));
  Sleep(1500);  // more than the slack allowed for coarse file times
  ChildProcess later;
  ASSERT_TRUE(later.Started());
  const std::string reused = TemporaryName(later.Id(), 1);
  ASSERT_TRUE(MoveFileA((dir_ / "made-before.tmp").c_str(), (dir_ / reused).c_str()));
  const std::string fresh = TemporaryName(later.Id(), 2);
  ASSERT_TRUE(WriteTestFile(dir_ / fresh, "x"));
  ASSERT_TRUE(WriteTestJpeg(dir_ / "a.jpg", 160, 120));
  EXPECT_EQ(RunWorker(dir_.Path()), 1);
  EXPECT_EQ(FileNames(dir_.Path(), "~*"), Names{fresh});
}

// Several workers and two threads doing what the view does, all on one folder at once.
TEST_F(ThumbnailWorkerTest, StressManyWorkersAndTheViewOnOneFolder) {
  std::vector<std::string> images;
  for (int i = 0; i < 48; ++i) {
    const std::string name = "p" + std::to_string(i) + (i % 6 == 5 ? ".old.jpg" : ".jpg");
    const bool small = i % 8 == 3;
    ASSERT_TRUE(WriteTestJpeg(dir_ / name, small ? 64 : 200 + 8 * i, small ? 48 : 150 + 4 * i));
    images.push_back(dir_ / name);
  }
  ASSERT_TRUE(WriteTestJpeg(dir_ / "p5.jpg", 300, 200));  // shares p5.cpg with p5.old.jpg
  images.push_back(dir_ / "p5.jpg");
  ASSERT_TRUE(WriteTestFile(dir_ / "broken.jpg", "garbage"));
  images.push_back(dir_ / "broken.jpg");

  WriterLog log;
  std::vector<HANDLE> workers;
  for (int i = 0; i < 4; ++i) workers.push_back(StartWorker(dir_.Path()));
  auto view = [&](bool backwards) {
    for (size_t i = 0; i < images.size(); ++i) {
      const std::string& image = images[backwards ? images.size() - 1 - i : i];
      EnsureThumbnail(image, ThumbnailPathFor(image, app_.Path()), claims_);
    }
  };
  std::thread second(view, false);
  view(true);
  second.join();
  ASSERT_EQ(WaitForMultipleObjects(4, workers.data(), TRUE, 120000), WAIT_OBJECT_0);
  for (HANDLE h : workers) CloseHandle(h);

  EXPECT_EQ(log.MostAtOnce(), 1);
  const Names thumbnails = FileNames(dir_.Path(), "*.cpg");
  EXPECT_EQ(thumbnails.size(), 48u);
  for (const auto& [path, count] : log.Writes()) {
    if (path.find("BROKEN") == std::string::npos) {
      EXPECT_EQ(count, 1) << path;
    }
  }
  for (const std::string& name : thumbnails) EXPECT_GT(JpegSize(dir_ / name).width, 0u) << name;
  EXPECT_EQ(JpegSize(dir_ / "p3.cpg"), (PictureSize{64, 48}));
  EXPECT_EQ(JpegSize(dir_ / "p0.cpg"), (PictureSize{96, 72}));
  EXPECT_EQ(FileNames(dir_.Path(), "~thumb-*"), Names{});
  EXPECT_EQ(claims_.Count(), 0u);
  // A worker that made a file asks for one listing; one that made none asks for nothing.
  const std::map<std::string, int> writers = log.WriterPriorities();
  int madeByWorkers = 0;
  for (const std::string& name : thumbnails) {
    const auto writer = writers.find(ToUpper(dir_ / name));
    ASSERT_NE(writer, writers.end()) << name;
    madeByWorkers += writer->second == THREAD_PRIORITY_IDLE;
  }
  const int listings = view_.TakeListFolders();
  EXPECT_EQ(listings > 0, madeByWorkers > 0);
  EXPECT_LE(listings, std::min(4, madeByWorkers));
}

}  // namespace
