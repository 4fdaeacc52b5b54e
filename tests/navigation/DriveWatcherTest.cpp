#include <string>
#include <vector>

#include "browser/ListMessages.h"
#include "navigation/DriveWatcher.h"
#include "tests/navigation/TreeFixture.h"

namespace {

using Texts = std::vector<std::string>;

// Time for freshly started idle-priority watchers to arm their change notifications.
void LetWatchersArm() { PumpMessages(300); }

class MessageWindow {
 public:
  MessageWindow() : hwnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~MessageWindow() { DestroyWindow(hwnd_); }
  HWND get() const { return hwnd_; }
  // The drive index of the next kWmDriveChanged within `timeoutMs`, or -1.
  int NextDriveChanged(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < timeoutMs) {
      if (PeekMessageA(&msg, hwnd_, kWmDriveChanged, kWmDriveChanged, PM_REMOVE)) return static_cast<int>(msg.wParam);
      Sleep(10);
    }
    return -1;
  }

 private:
  HWND hwnd_;
};

using DriveWatcherThread = TreeTest;

TEST_F(DriveWatcherThread, PostsEachFolderChangeUntilTheStopEvent) {
  MessageWindow window;
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = StartDriveWatcher(kDriveD, stop, window.get());
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_IDLE);
  Sleep(300);

  ASSERT_TRUE(CreateDirectoryA("D:\\New", nullptr));
  EXPECT_EQ(window.NextDriveChanged(5000), kDriveD);
  ASSERT_TRUE(MoveFileA("D:\\New", "D:\\Renamed"));
  EXPECT_EQ(window.NextDriveChanged(5000), kDriveD);
  // A rename may be reported twice: drain, then show that files are no folder-name change.
  PumpMessages(100);
  window.NextDriveChanged(300);
  ASSERT_TRUE(WriteTestFile("D:\\file.txt", "x"));
  EXPECT_EQ(window.NextDriveChanged(500), -1);

  SetEvent(stop);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(thread);
  CloseHandle(stop);
}

TEST_F(DriveWatcherThread, EndsWithCode1WhenTheDriveCannotBeWatched) {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (int drive : {'Q' - 'A', 26}) {
    HANDLE thread = StartDriveWatcher(drive, stop, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(thread);
  }
  CloseHandle(stop);
}

using DriveChanges = TreeTest;

TEST_F(DriveChanges, AFolderCreatedInAnExpandedFolderAppearsInOrderAndGoesWhenDeleted) {
  for (const char* folder :
       {"D:\\Photos\\Autumn", "D:\\Photos\\Summer", "D:\\Photos\\Winter", "D:\\Staging\\Beach\\Day1"})
    ASSERT_TRUE(MakeFolders(folder));
  Start();
  LetWatchersArm();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", false));
  HTREEITEM photos = Item("D:\\Photos");

  // Moved in whole, so that it has its subfolder when it arrives.
  ASSERT_TRUE(MoveFileA("D:\\Staging\\Beach", "D:\\Photos\\Beach"));
  ASSERT_TRUE(PumpUntil([&] { return Item("D:\\Photos\\Beach") != nullptr; }));
  EXPECT_EQ(Children(photos), (Texts{"Autumn", "Beach", "Summer", "Winter"}));
  EXPECT_TRUE(HasButton(Item("D:\\Photos\\Beach")));
  EXPECT_FALSE(IsExpanded(Item("D:\\Photos\\Beach")));
  EXPECT_TRUE(IsExpanded(photos));

  RemoveTree("D:\\Photos\\Beach");
  ASSERT_TRUE(PumpUntil([&] { return Item("D:\\Photos\\Beach") == nullptr; }));
  EXPECT_EQ(Children(photos), (Texts{"Autumn", "Summer", "Winter"}));
}

TEST_F(DriveChanges, AFolderCreatedInACollapsedFolderWithoutSubfoldersGivesItAButton) {
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Summer"));
  Start();
  LetWatchersArm();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", false));
  HTREEITEM summer = Item("D:\\Photos\\Summer");
  ASSERT_FALSE(HasButton(summer));

  ASSERT_TRUE(CreateDirectoryA("D:\\Photos\\Summer\\Day1", nullptr));
  ASSERT_TRUE(PumpUntil([&] { return HasButton(summer); }));
  EXPECT_FALSE(IsExpanded(summer));
  ASSERT_TRUE(Expand(summer));
  EXPECT_EQ(Children(summer), Texts{"Day1"});
}

TEST_F(DriveChanges, ARefreshReadsOnlyTheExpandedPartAndKeepsTheCurrentDirectory) {
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Summer"));
  ASSERT_TRUE(MakeFolders("D:\\Music\\Jazz"));
  Start();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", true));
  ASSERT_TRUE(SetCurrentDirectoryA("D:\\Photos\\Summer"));
  char before[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, before);

  ASSERT_TRUE(MakeFolders("D:\\Photos\\Autumn"));
  ASSERT_TRUE(MakeFolders("D:\\Music\\Pop"));
  ASSERT_TRUE(MakeFolders("D:\\Books"));
  Tree()->SendMessage(kWmDriveChanged, kDriveD);

  EXPECT_EQ(Children(Item("D:\\")), (Texts{"Books", "Music", "Photos"}));
  EXPECT_EQ(Children(Item("D:\\Photos")), (Texts{"Autumn", "Summer"}));
  EXPECT_EQ(Children(Item("D:\\Music")), Texts{""});  // collapsed: still just the dummy
  EXPECT_FALSE(HasButton(Item("D:\\Books")));
  char after[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  SetCurrentDirectoryA("C:\\");

  // Indexes that name no drive item do nothing.
  for (WPARAM bogus : {WPARAM{16}, WPARAM{26}, WPARAM{0xFFFFFFFF}}) Tree()->SendMessage(kWmDriveChanged, bogus);
  EXPECT_EQ(Children(Item("D:\\")), (Texts{"Books", "Music", "Photos"}));
}

TEST_F(DriveChanges, DeletingTheSelectedFolderSelectsAndListsItsParentNotASibling) {
  for (const char* folder : {"D:\\Photos\\Autumn", "D:\\Photos\\Summer\\Day1", "D:\\Photos\\Winter"})
    ASSERT_TRUE(MakeFolders(folder));
  Start();
  LetWatchersArm();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos\\Summer", true));
  app_.DeleteProfileSection("RecentFolders");

  RemoveTree("D:\\Photos\\Summer");
  ASSERT_TRUE(PumpUntil([&] { return Item("D:\\Photos\\Summer") == nullptr; }));
  PumpMessages(300);  // any later notification of the same deletion
  EXPECT_EQ(SelectedPath(), "D:\\Photos");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\Photos");
  EXPECT_EQ(Tree()->CurrentFolder(), "D:\\Photos");
  EXPECT_EQ(ChosenFolders(), Texts{"D:\\Photos"});
  EXPECT_EQ(Children(Item("D:\\Photos")), (Texts{"Autumn", "Winter"}));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(DriveChanges, DeletingExpandedFoldersAroundTheSelectionSelectsTheNearestFolderLeft) {
  // The selection deep inside A; A's next siblings B and C (C expanded) go with it.
  for (const char* folder : {"D:\\A\\Day1\\Morning", "D:\\A\\Day2", "D:\\B", "D:\\C\\Sub\\Deeper", "D:\\Keep"})
    ASSERT_TRUE(MakeFolders(folder));
  Start();
  LetWatchersArm();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\C\\Sub", false));
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\A\\Day1\\Morning", true));
  app_.DeleteProfileSection("RecentFolders");

  for (const char* folder : {"D:\\A", "D:\\B", "D:\\C"}) RemoveTree(folder);
  ASSERT_TRUE(PumpUntil([&] { return Children(Item("D:\\")) == Texts{"Keep"}; }));
  PumpMessages(300);
  EXPECT_EQ(SelectedPath(), "D:\\");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\");
  // On the way up only the selection's own ancestors may have been chosen, never a sibling.
  Texts chosen = ChosenFolders();
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(chosen.front(), "D:\\");
  for (const std::string& folder : chosen)
    EXPECT_EQ(std::string("D:\\A\\Day1\\Morning").rfind(folder, 0), 0u) << folder;
}

TEST_F(DriveChanges, ClosingTheMainWindowEndsEveryWatcher) {
  Start();
  std::vector<HANDLE> threads;
  for (HANDLE watcher : Tree()->Watchers()) {
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), watcher, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0));
    threads.push_back(copy);
  }
  ASSERT_EQ(threads.size(), 3u);
  for (HANDLE thread : threads) EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  Frame()->DestroyWindow();
  for (HANDLE thread : threads) {
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
  }
  PumpMessages();
}

}  // namespace
