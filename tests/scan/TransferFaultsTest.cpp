// Transfers that go wrong: refusals, cancels, failures, damaged files, folders that cannot take the
// transfer file, and events that arrive while a transfer runs.
#include <cstdio>
#include <string>
#include <vector>

#include "browser/BrowserState.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "browser/ThumbnailClaims.h"
#include "scan/ScanFiles.h"
#include "scan/Twain.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/navigation/WineDrives.h"
#include "tests/scan/TwainFixture.h"
#include "viewer/MyScrollView.h"

namespace {

using Faults = TwainTest;

TEST_F(Faults, ARefusedEnableClosesTheSourceAgainWithoutABox) {
  Script("enable fail\n");
  StartIn(pictures_.Path());
  Acquire();
  EXPECT_TRUE(PumpUntilState(3));
  EXPECT_EQ(CountLog("0001 0003 0402"), 1);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Faults, ARefusedOpenLeavesTheManagerOpen) {
  Script("open fail\n");
  StartIn(pictures_.Path());
  Acquire();
  EXPECT_TRUE(PumpUntilState(3));
  EXPECT_EQ(CountLog("enable"), 0);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Faults, ARefusedFileSetUpResetsThePendingImagesInsteadOfAskingForEver) {
  Script("images 3\nsetup fail\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return CountLog("0001 0005 0007") > 0; }));
  EXPECT_TRUE(PumpUntilState(5));
  EXPECT_EQ(CountLog("setup file="), 1);
  EXPECT_EQ(CountLog("0001 0005 0007"), 1);  // reset once
  EXPECT_TRUE(ScanFiles(pictures_.Path()).empty());
}

TEST_F(Faults, AFailedTransferResetsTheRestAndWritesNothing) {
  Script("images 2\nxfer fail\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return CountLog("0001 0005 0007") > 0; }));
  EXPECT_TRUE(PumpUntilState(5));
  EXPECT_EQ(CountLog("0002 0105 0001"), 1);
  EXPECT_TRUE(ScanFiles(pictures_.Path()).empty());
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Faults, ACancelledTransferEndsItAndWritesNothing) {
  Script("images 1\nxfer cancel\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return CountLog("0001 0005 0701") > 0; }));
  EXPECT_TRUE(PumpUntilState(5));
  EXPECT_TRUE(ScanFiles(pictures_.Path()).empty());
  EXPECT_TRUE(BmpFiles(pictures_.Path()).empty());
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Faults, ADamagedTransferFileShowsTheReadersTextAndWritesNothing) {
  Script("images 1\nbmp damaged\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return !boxes_.Boxes().empty(); }));
  EXPECT_TRUE(PumpUntilState(5));
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Not a valid BMP File");
  EXPECT_EQ(boxes_.Boxes()[0].type & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_TRUE(ScanFiles(pictures_.Path()).empty());
  EXPECT_TRUE(BmpFiles(pictures_.Path()).empty());
}

TEST_F(Faults, AnUnwritableScanSaysWriteErrorAndTheListIsStillRelistedByDate) {
  Script("images 1\nsize 65536 1\n");  // wider than a JPEG may be
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return app_.GetProfileInt("Settings", "SortBy", 0) == 1; }));
  EXPECT_TRUE(PumpUntilState(5));
  bool told = false;
  for (const MessageBoxRecord& box : boxes_.Boxes()) told = told || box.text == "Write Error";
  EXPECT_TRUE(told);
  EXPECT_TRUE(ScanFiles(pictures_.Path()).empty());
}

TEST_F(Faults, WithoutACurrentFolderTheTransferIsRefusedBeforeAnythingIsWritten) {
  StartIn("");
  ASSERT_TRUE(Frame()->ListView()->CurrentFolder().empty());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return CountLog("0001 0005 0007") > 0; }));
  EXPECT_TRUE(PumpUntilState(5));
  EXPECT_EQ(CountLog("setup file="), 0);
  EXPECT_EQ(CountLog("0002 0105"), 0);
}

TEST_F(Faults, ATransferPathLongerThanTheRecordIsRefusedAndOneThatFitsIsTaken) {
  // C:\...\<folder>\<transfer name>: 255 characters fit the record, 256 do not.
  const size_t longest = 255 - 1 - ScanTransferName(1).size();
  std::string fits = pictures_.Path() + "\\" + std::string(longest - pictures_.Path().size() - 1, 'f');
  std::string tooLong = pictures_.Path() + "\\" + std::string(longest - pictures_.Path().size(), 'g');
  ASSERT_EQ(fits.size(), longest);
  ASSERT_TRUE(CreateDirectoryA(fits.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr));

  StartIn(tooLong);
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return CountLog("0001 0005 0007") > 0; }));
  EXPECT_EQ(CountLog("setup file="), 0);

  Frame()->ListView()->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(fits.c_str()));
  Frame()->PostMessage(WM_CLOSE);
  PumpUntil([&] { return Frame() == nullptr; });
  StartIn(fits);
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return !ScanFiles(fits).empty(); }));
  EXPECT_EQ(CountLog("setup file=" + fits + "\\" + ScanTransferName(1) + " format=2"), 1);
  EXPECT_EQ(ScanFiles(fits), std::vector<std::string>{"Img00001.jpg"});
}

TEST_F(Faults, ADriveRootGetsTheTransferFileWithoutADoubledSeparator) {
  ASSERT_TRUE(DefineDrive('T', DRIVE_FIXED, pictures_.Path()));
  StartIn("T:\\");
  Acquire();
  bool scanned = PumpUntil([&] { return !ScanFiles(pictures_.Path()).empty(); });
  PumpUntilState(5);
  EXPECT_EQ(CountLog("setup file=T:\\" + ScanTransferName(1) + " format=2"), 1);
  EXPECT_TRUE(scanned);
  EXPECT_EQ(Frame()->Preview()->Path(), "T:\\Img00001.jpg");
  CloseFrame();
  RemoveDrive('T');
}

TEST_F(Faults, AnImageAnnouncedDuringATransferWaitsUntilTheFirstIsConverted) {
  // Converted in a nested transfer, the first file would be overwritten by the second image.
  Script("images 1\nextraready 1\ncolors ff0000,0000ff\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return ScanFiles(pictures_.Path()).size() == 2; }));
  EXPECT_TRUE(PumpUntilState(5));
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00001.jpg"), 0xFF0000));
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00002.jpg"), 0x0000FF));
}

TEST_F(Faults, ClosingTheWindowDuringATransferWaitsForItsEnd) {
  Script("images 2\npostclose 1\ncolors ff0000,00ff00\n");
  StartIn(pictures_.Path());
  FinalStateWatch watch(Frame());
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return Frame() == nullptr; }));
  EXPECT_EQ(watch.State(), 1);
  EXPECT_EQ(ScanFiles(pictures_.Path()), (std::vector<std::string>{"Img00001.jpg", "Img00002.jpg"}));
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00002.jpg"), 0x00FF00));
  EXPECT_EQ(CountLog("0001 0003 0402"), 1);
  EXPECT_FALSE(CTwain::ManagerLoaded());
}

TEST_F(Faults, AQuitSeenWhileTransferringIsLeftForTheProgramsLoop) {
  Script("images 1\npostquit 1\n");
  StartIn(pictures_.Path());
  Acquire();
  int quitCode = -1;
  PumpUntil(
      [&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.message == WM_QUIT) {
            quitCode = static_cast<int>(msg.wParam);
            continue;
          }
          if (app_.PreTranslateMessage(&msg)) continue;
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        }
        return quitCode != -1 && !ScanFiles(pictures_.Path()).empty();
      },
      5000);
  EXPECT_EQ(quitCode, 7);
  EXPECT_EQ(ScanFiles(pictures_.Path()).size(), 1u);
}

TEST_F(Faults, TheFrameKeepsItsAcceleratorsToItself) {
  StartIn(pictures_.Path());
  HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, Frame()->m_hWnd, nullptr, nullptr, nullptr);
  MSG foreign{popup, WM_KEYDOWN, VK_F5, 0, 0, {}};
  MSG own{Frame()->ListView()->m_hWnd, WM_KEYDOWN, VK_F5, 0, 0, {}};
  EXPECT_FALSE(app_.PreTranslateMessage(&foreign));
  EXPECT_TRUE(app_.PreTranslateMessage(&own));  // F5 is Refresh
  DestroyWindow(popup);
  PumpMessages();
}

TEST_F(Faults, AnEnabledSourceSeesMessagesOfForeignWindowsAndOfTheThread) {
  Script("images 0\n");
  StartIn(pictures_.Path());
  Acquire();
  ASSERT_TRUE(PumpUntilState(5));
  const std::string kEvent = "0001 0002 0601";  // DG_CONTROL DAT_EVENT MSG_PROCESSEVENT
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(foreign, nullptr);
  PumpMessages();
  int before = CountLog(kEvent);
  ASSERT_TRUE(PostMessageA(foreign, WM_APP + 7, 0, 0));
  PumpMessages();
  int afterWindow = CountLog(kEvent);
  EXPECT_GE(afterWindow, before + 1);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 8, 0, 0));
  PumpMessages();
  EXPECT_GE(CountLog(kEvent), afterWindow + 1);
  DestroyWindow(foreign);
  PumpMessages();
}

// The script line that has the source list `folder` while the first transfer runs, as a user
// choosing another folder then would.
std::string ListFolderDuringTransfer(CMyListView* list, const std::string& folder) {
  char line[128];
  std::snprintf(line, sizeof line, "post %llx %x 0 %llx\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(list->m_hWnd)), kWmListFolder,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(folder.c_str())));
  return line;
}

TEST_F(Faults, AFolderChosenDuringTheTransferIsNotRelistedNorItsSameNamedFileSelected) {
  std::string other = work_ / "other";
  ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
  ASSERT_TRUE(WriteTestJpeg(other + "\\Img00001.jpg", 16, 16));
  ASSERT_TRUE(WriteTestJpeg(other + "\\Img00002.jpg", 16, 16));
  StartIn(pictures_.Path());
  Script("images 1\ncolors ff0000\n" + ListFolderDuringTransfer(Frame()->ListView(), other));
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return !ScanFiles(pictures_.Path()).empty(); }));
  ASSERT_TRUE(PumpUntilState(5));
  // Saved where the transfer went; the other folder is shown as it was listed, nothing chosen.
  EXPECT_EQ(ScanFiles(pictures_.Path()), std::vector<std::string>{"Img00001.jpg"});
  EXPECT_TRUE(NearColor(MiddleColor(pictures_ / "Img00001.jpg"), 0xFF0000));
  CMyListView* list = Frame()->ListView();
  EXPECT_EQ(list->CurrentFolder(), other);
  EXPECT_EQ(list->ItemCount(), 2);
  EXPECT_EQ(list->SelectedCount(), 0);
  EXPECT_EQ(list->FocusedItem(), -1);
  EXPECT_NE(Frame()->Preview()->Path(), other + "\\Img00001.jpg");
  EXPECT_EQ(app_.GetProfileInt("Settings", "SortBy", 0), 0);
  EXPECT_EQ(ScanFiles(other), (std::vector<std::string>{"Img00001.jpg", "Img00002.jpg"}));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Faults, TheSameFolderChosenAgainInOtherLettersStillGetsTheScanSelected) {
  ASSERT_TRUE(WriteTestJpeg(pictures_ / "older.jpg", 16, 16));
  std::string upper = pictures_.Path();
  CharUpperA(upper.data());
  ASSERT_NE(upper, pictures_.Path());
  StartIn(pictures_.Path());
  // The listing the thumbnail worker asks for once older.jpg's thumbnail is made comes first.
  ASSERT_TRUE(PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(pictures_.Path()) >= 2; }, 20000));
  Script("images 1\ncolors 00ff00\n" + ListFolderDuringTransfer(Frame()->ListView(), upper));
  Acquire();
  ASSERT_TRUE(PumpUntil([&] { return !ScanFiles(pictures_.Path()).empty(); }));
  ASSERT_TRUE(PumpUntilState(5));
  PumpMessages(500);
  CMyListView* list = Frame()->ListView();
  EXPECT_EQ(list->CurrentFolder(), upper);
  EXPECT_EQ(list->ItemCount(), 2);
  EXPECT_EQ(app_.GetProfileInt("Settings", "SortBy", 0), 1);
  EXPECT_EQ(list->SelectedNames(), std::vector<std::string>{"Img00001.jpg"});
  EXPECT_EQ(list->SelectedCount(), 1);
}

}  // namespace
