#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "browser/MyListView.h"
#include "browser/ThumbnailClaims.h"
#include "scan/ScanFiles.h"
#include "scan/Twain.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/scan/TwainFixture.h"
#include "viewer/MyScrollView.h"

namespace {

using Scanning = TwainTest;

// Index of the record named `name` in the list, or -1.
int IndexOf(CMyListView* list, const std::string& name) {
  const std::vector<FileRecord>& records = list->Records();
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].fileName == name) return static_cast<int>(i);
  return -1;
}

// Waits for the thumbnail worker's listing of `folder`, which follows the first once it has made
// the thumbnails of the files there, so that a selection made afterwards stays.
bool ThumbnailsMade(const std::string& folder) {
  bool made = PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(folder) >= 2; }, 20000);
  PumpMessages(200);
  return made;
}

// Adds item `index` to the selection, keeping the others.
void AlsoSelect(CMyListView* list, int index) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  list->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

TEST_F(Scanning, TheFrameOpensTheManagerAtCreationAndAnnouncesItsIdentity) {
  StartIn("");
  EXPECT_EQ(Frame()->State(), 3);
  const TW_IDENTITY& id = Frame()->AppIdentity();
  EXPECT_EQ(id.ProtocolMajor, 1);
  EXPECT_EQ(id.ProtocolMinor, 8);
  EXPECT_EQ(id.SupportedGroups, DG_CONTROL | DG_IMAGE);
  EXPECT_STREQ(id.Manufacturer, "Tolmeq");
  EXPECT_STREQ(id.ProductFamily, "CTwain application");
  EXPECT_STREQ(id.ProductName, "TWAIN Application");
  EXPECT_EQ(Frame()->TransferMechanism(), TWSX_FILE);
}

TEST_F(Scanning, OneImageBecomesTheFirstNumberedFileSelectedAndPreviewed) {
  Script("images 1\ncolors ff0000\nsize 40 30\n");
  app_.WriteProfileInt("Settings", "SortBy", 2);
  ASSERT_TRUE(WriteTestJpeg(pictures_ / "older.jpg", 16, 16));
  StartIn(pictures_.Path());
  ASSERT_TRUE(ThumbnailsMade(pictures_.Path()));
  CMyListView* list = Frame()->ListView();
  ASSERT_EQ(list->ItemCount(), 1);
  list->StepTo(0);  // the older file is the current one before the scan
  ASSERT_EQ(list->SelectedCount(), 1);
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return !ScanFiles(pictures_.Path()).empty(); }));
  ASSERT_TRUE(PumpUntilState(5));
  PumpMessages(500);  // whatever the thumbnail worker does after the listing
  EXPECT_EQ(ScanFiles(pictures_.Path()), std::vector<std::string>{"Img00001.jpg"});
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00001.jpg"), 0xFF0000));
  // The source was told the file, the format and the mechanism, and showed its interface.
  EXPECT_EQ(CountLog("setup file=" + (pictures_ / "~Lumavex scan 0001.bmp") + " format=2"), 1);
  EXPECT_EQ(CountLog("cap 0103 contype=5 type=4 value=1"), 1);
  EXPECT_EQ(CountLog("enable showui=1"), 1);
  // Listed again, sorted by date from then on, the new file selected alone and previewed.
  EXPECT_EQ(app_.GetProfileInt("Settings", "SortBy", 0), 1);
  EXPECT_EQ(list->ItemCount(), 2);
  int scanned = IndexOf(list, "Img00001.jpg");
  ASSERT_NE(scanned, -1);
  EXPECT_EQ(list->SelectedCount(), 1);
  EXPECT_EQ(list->FocusedItem(), scanned);
  EXPECT_EQ(list->CurrentItem(), scanned);
  EXPECT_EQ(list->SelectedNames(), std::vector<std::string>{"Img00001.jpg"});
  EXPECT_EQ(Frame()->Preview()->Path(), pictures_ / "Img00001.jpg");
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Scanning, TheUsersOwnBmpFilesAreUntouchedAndNoTransferFileIsLeft) {
  Script("images 2\ncolors 00ff00,0000ff\nsize 40 30\n");
  const std::string own = "BM the user's own twain.bmp";
  const std::string sameName = "BM a file with the name of the first transfer file";
  ASSERT_TRUE(WriteTestFile(pictures_ / "twain.bmp", own));
  ASSERT_TRUE(WriteTestFile(pictures_ / ScanTransferName(1), sameName));
  const std::vector<std::string> before = BmpFiles(pictures_.Path());
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return ScanFiles(pictures_.Path()).size() == 2; }));
  ASSERT_TRUE(PumpUntilState(5));
  EXPECT_EQ(CountLog("setup file=" + (pictures_ / ScanTransferName(2)) + " format=2"), 2);
  EXPECT_EQ(ReadTestFile(pictures_ / "twain.bmp"), own);
  EXPECT_EQ(ReadTestFile(pictures_ / ScanTransferName(1)), sameName);
  EXPECT_EQ(BmpFiles(pictures_.Path()), before);
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00002.jpg"), 0x0000FF));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Scanning, ThreeImagesBecomeThreeFilesInOrderFromTheReusedTransferFile) {
  Script("images 3\ncolors ff0000,00ff00,0000ff\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return ScanFiles(pictures_.Path()).size() == 3; }));
  ASSERT_TRUE(PumpUntilState(5));
  std::vector<std::string> expected{"Img00001.jpg", "Img00002.jpg", "Img00003.jpg"};
  EXPECT_EQ(ScanFiles(pictures_.Path()), expected);
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00001.jpg"), 0xFF0000));
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00002.jpg"), 0x00FF00));
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00003.jpg"), 0x0000FF));
  EXPECT_EQ(CountLog("setup file="), 3);
  EXPECT_EQ(Frame()->Preview()->Path(), pictures_ / "Img00003.jpg");
}

TEST_F(Scanning, NumbersFillTheGapsAndTheSelectionFollowsTheNameNotTheLastItem) {
  ASSERT_TRUE(WriteTestJpeg(pictures_ / "Img00001.jpg", 16, 16));
  ASSERT_TRUE(WriteTestJpeg(pictures_ / "Img00003.jpg", 16, 16));
  // The newest file by date, listed last after the date sort: the scan is not that one.
  ASSERT_TRUE(WriteTestJpeg(pictures_ / "zzz.jpg", 16, 16));
  HANDLE late =
      CreateFileA((pictures_ / "zzz.jpg").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(late, INVALID_HANDLE_VALUE);
  FILETIME future{};
  SYSTEMTIME y2100{2100, 1, 5, 1, 0, 0, 0, 0};
  SystemTimeToFileTime(&y2100, &future);
  SetFileTime(late, nullptr, nullptr, &future);
  CloseHandle(late);

  Script("images 2\ncolors 00ff00,0000ff\n");
  StartIn(pictures_.Path());
  ASSERT_TRUE(ThumbnailsMade(pictures_.Path()));
  // Two older files selected before the scan, one of them focused.
  CMyListView* list = Frame()->ListView();
  ASSERT_EQ(list->ItemCount(), 3);
  list->StepTo(IndexOf(list, "Img00001.jpg"));
  AlsoSelect(list, IndexOf(list, "zzz.jpg"));
  ASSERT_EQ(list->SelectedCount(), 2);
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return ScanFiles(pictures_.Path()).size() == 4; }));
  ASSERT_TRUE(PumpUntilState(5));
  PumpMessages(500);
  std::vector<std::string> expected{"Img00001.jpg", "Img00002.jpg", "Img00003.jpg", "Img00004.jpg"};
  EXPECT_EQ(ScanFiles(pictures_.Path()), expected);
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00002.jpg"), 0x00FF00));
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00004.jpg"), 0x0000FF));
  ASSERT_EQ(list->ItemCount(), 5);
  EXPECT_EQ(list->Records().back().fileName, "zzz.jpg");
  EXPECT_EQ(list->SelectedCount(), 1);
  EXPECT_EQ(list->FocusedItem(), IndexOf(list, "Img00004.jpg"));
  EXPECT_EQ(list->SelectedNames(), std::vector<std::string>{"Img00004.jpg"});
  // The preview shows the current item, which the scan made the new file's.
  EXPECT_EQ(Frame()->Preview()->Path(), pictures_ / "Img00004.jpg");
}

TEST_F(Scanning, AcquireWhileTheSourceIsEnabledChangesNothing) {
  Script("images 0\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntilState(5));
  Acquire();
  PumpMessages(100);
  EXPECT_EQ(Frame()->State(), 5);
  EXPECT_EQ(CountLog("enable "), 1);
}

TEST_F(Scanning, ACloseRequestReturnsToAnOpenManager) {
  Script("images 1\nclose 1\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntilState(3));
  EXPECT_EQ(ScanFiles(pictures_.Path()).size(), 1u);
  EXPECT_EQ(CountLog("0001 0009 0501"), 1);  // disabled
  EXPECT_EQ(CountLog("0001 0003 0402"), 1);  // closed
}

TEST_F(Scanning, ClosingTheProgramWithTheSourceEnabledClosesAndUnloadsEverything) {
  Script("images 0\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntilState(5));
  FinalStateWatch watch(Frame());
  Frame()->PostMessage(WM_CLOSE);
  ASSERT_TRUE(PumpUntil([&] { return app_.MainWnd() == nullptr || Frame() == nullptr; }));
  EXPECT_EQ(watch.State(), 1);
  EXPECT_EQ(CountLog("0001 0009 0501"), 1);
  EXPECT_EQ(CountLog("0001 0003 0402"), 1);
  EXPECT_FALSE(CTwain::ManagerLoaded());
  EXPECT_EQ(GetModuleHandleA("twain_32.dll"), nullptr);
}

// Run beside tools/' recording TWAINDSM.DLL (twain_dsm_tests): the program loads that manager, not
// TWAIN_32.DLL, and every call of a scan goes through it.
using ScanningThroughTwainDsm = TwainTest;

TEST_F(ScanningThroughTwainDsm, TheTwainDsmManagerIsTakenBeforeTwain32) {
  Script("images 1\ncolors 00ff00\n");
  StartIn(pictures_.Path());
  ASSERT_EQ(Frame()->State(), 3);
  EXPECT_NE(GetModuleHandleA("TWAINDSM.DLL"), nullptr);
  EXPECT_EQ(CountLog("dsm 1 0004 0301 rc=0"), 1);  // DG_CONTROL DAT_PARENT MSG_OPENDSM
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return !ScanFiles(pictures_.Path()).empty(); }));
  ASSERT_TRUE(PumpUntilState(5));
  EXPECT_EQ(CountLog("dsm 1 0009 0502 rc=0"), 1);  // DAT_USERINTERFACE MSG_ENABLEDS
  EXPECT_EQ(CountLog("dsm 2 0105 0001 rc=6"), 1);  // DG_IMAGE DAT_IMAGEFILEXFER MSG_GET: done
  EXPECT_EQ(ScanFiles(pictures_.Path()), std::vector<std::string>{"Img00001.jpg"});
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00001.jpg"), 0x00FF00));
}

}  // namespace
