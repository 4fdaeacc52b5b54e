#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/MyListView.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"

namespace {

std::string ExeFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\'));
}

void WriteProfileDword(const char* section, const char* entry, DWORD value) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kProgramKey) + "\\" + section).c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

using Startup = AppTest;

TEST_F(Startup, FirstRunShowsTheMaximisedFrameAndStartsInTheProgramFolder) {
  ASSERT_TRUE(app_.InitInstance());
  ASSERT_NE(Frame(), nullptr);
  HWND hwnd = Frame()->m_hWnd;
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(IsZoomed(hwnd));
  EXPECT_EQ(Frame()->GetWindowText(), "Lumavex");
  EXPECT_TRUE(Frame()->IsKindOf(&CMainFrame::kClass));
  EXPECT_EQ(Browser().appFolder, ExeFolder());
  EXPECT_EQ(Frame()->ShownFolder(), ExeFolder());
  EXPECT_EQ(g_thumbnailWidth, 96);
  EXPECT_EQ(g_thumbnailHeight, 96);
  EXPECT_EQ(g_wallpaperWidth, 504);
  EXPECT_EQ(app_.Profile().Root(), kProgramKey);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_TRUE(Viewers().windows.empty());
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(hwnd, GCLP_HICON)) != nullptr, true);

  HMENU bar = GetMenu(hwnd);
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  const char* expected[] = {"&File", "&View", "F&avorites", "&Tools", "&Help"};
  for (int i = 0; i < 5; ++i) {
    char text[64] = "";
    GetMenuStringA(bar, i, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, expected[i]);
  }
}

TEST_F(Startup, ThumbnailSizeSettingChoosesTheBox) {
  const struct {
    DWORD code;
    int box;
  } cases[] = {{0, 48}, {1, 96}, {2, 144}, {3, 192}, {4, 504}, {5, 96}, {0xFFFFFFFF, 96}, {504, 96}};
  for (const auto& c : cases) {
    SetThumbnailBox(96);
    WriteProfileDword("Settings", "ThumbnailSize", c.code);
    ASSERT_TRUE(app_.InitInstance());
    EXPECT_EQ(g_thumbnailWidth, c.box) << "code " << static_cast<int>(c.code);
    EXPECT_EQ(g_thumbnailHeight, c.box);
    app_.MainWnd()->DestroyWindow();
    PumpMessages();
  }
}

TEST_F(Startup, TheMostRecentFolderIsSelectedInTheTreeAndListed) {
  TempDir recent;
  for (const char* name : {"beach.jpg", "dunes.jpg"}) ASSERT_TRUE(WriteTestFile(recent / name, "not a picture"));
  app_.SetRegistryKey(kRegistryCompany);
  app_.WriteProfileString("RecentFolders", "RecentFolder1", recent.Path().c_str());
  app_.WriteProfileString("RecentFolders", "RecentFolder2", "C:\\Older");
  ASSERT_TRUE(app_.InitInstance());
  PumpMessages();
  CMyListView* list = Frame()->ListView();
  EXPECT_EQ(list->CurrentFolder(), recent.Path());
  ASSERT_EQ(list->ItemCount(), 2);
  EXPECT_EQ(list->ItemPath(0), recent / "beach.jpg");
  // The tree shows the same folder selected.
  HWND tree = Frame()->Splitter().GetPane(0, 0)->m_hWnd;
  HTREEITEM selected = TreeView_GetSelection(tree);
  ASSERT_NE(selected, nullptr);
  char text[MAX_PATH] = "";
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = selected;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  TreeView_GetItem(tree, &item);
  const std::string leaf = recent.Path().substr(recent.Path().rfind('\\') + 1);
  EXPECT_STRCASEEQ(text, leaf.c_str());
}

TEST_F(Startup, AMostRecentFolderThatIsGoneListsNothing) {
  app_.SetRegistryKey(kRegistryCompany);
  app_.WriteProfileString("RecentFolders", "RecentFolder1", "C:\\No such folder\\Summer");
  ASSERT_TRUE(app_.InitInstance());
  PumpMessages();
  EXPECT_EQ(Frame()->ShownFolder(), "C:\\No such folder\\Summer");
  EXPECT_EQ(Frame()->ListView()->ItemCount(), 0);
}

TEST_F(Startup, EmptyMostRecentSlotFallsBackToTheProgramFolder) {
  app_.SetRegistryKey(kRegistryCompany);
  app_.WriteProfileString("RecentFolders", "RecentFolder1", "");
  ASSERT_TRUE(app_.InitInstance());
  EXPECT_EQ(Frame()->ShownFolder(), ExeFolder());
}

TEST_F(Startup, AnEmptyMostRecentSlotIsClosedUpByTheOlderFolders) {
  app_.SetRegistryKey(kRegistryCompany);
  app_.WriteProfileString("RecentFolders", "RecentFolder1", "");
  app_.WriteProfileString("RecentFolders", "RecentFolder2", "C:\\Older");
  ASSERT_TRUE(app_.InitInstance());
  EXPECT_EQ(Frame()->ShownFolder(), "C:\\Older");
}

TEST_F(Startup, UnreadableProgramPathIsReportedAndLeavesTheFolderEmpty) {
  app_.FindApplicationFolder(reinterpret_cast<HMODULE>(0x1234));
  auto shown = boxes_.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Error getting Application path");
  EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(Browser().appFolder, "");
  app_.FindApplicationFolder();
  EXPECT_EQ(Browser().appFolder, ExeFolder());
}

TEST_F(Startup, SettingsAreNotWrittenByStartingUp) {
  ASSERT_TRUE(app_.InitInstance());
  EXPECT_EQ(app_.GetProfileInt("Settings", "ThumbnailSize", -7), -7);
  EXPECT_EQ(app_.GetProfileInt("Settings", "SortBy", -7), -7);
}

// The About box, read and closed from a timer while DoModal runs.
struct AboutBoxSeen {
  std::string caption;
  std::vector<std::string> texts;
  bool hasIcon = false;
};
AboutBoxSeen g_about;

void CALLBACK InspectAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowA(nullptr, "About Lumavex");
  if (!box) return;
  KillTimer(nullptr, timer);
  char text[256];
  GetWindowTextA(box, text, sizeof text);
  g_about.caption = text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32];
    GetClassNameA(child, cls, sizeof cls);
    bool isStatic = lstrcmpiA(cls, "Static") == 0;
    if (isStatic && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      g_about.hasIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
      continue;
    }
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) g_about.texts.push_back(text);
  }
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(Startup, AboutCommandShowsTheAboutBox) {
  ASSERT_TRUE(app_.InitInstance());
  g_about = {};
  UINT_PTR timer = SetTimer(nullptr, 0, 50, InspectAboutBox);
  Frame()->SendMessage(WM_COMMAND, ID_APP_ABOUT);
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_about.caption, "About Lumavex");
  EXPECT_EQ(g_about.texts,
            (std::vector<std::string>{"Lumavex Version 1.0", "Please let us know of any bugs you find!!!", "OK"}));
  EXPECT_TRUE(g_about.hasIcon);
}

TEST_F(Startup, MenuItemsWithoutHandlersAreDisabledAndApplicationCommandsEnabled) {
  ASSERT_TRUE(app_.InitInstance());
  HMENU bar = GetMenu(Frame()->m_hWnd);
  HMENU file = GetSubMenu(bar, 0);
  HMENU help = GetSubMenu(bar, 4);
  Frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  Frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(help), 4);
  EXPECT_TRUE(GetMenuState(file, ID_FILE_OPEN, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(file, ID_FILE_PRINT, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(help, ID_APP_ABOUT, MF_BYCOMMAND) & MF_GRAYED);
  // New has the default handler of the application and does nothing.
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_FILE_NEW));
  Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_NEW, 1));
  PumpMessages();
  EXPECT_TRUE(IsWindow(Frame()->m_hWnd));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Startup, AcceleratorTableHoldsTheProgramKeys) {
  ASSERT_TRUE(app_.InitInstance());
  HACCEL table = Frame()->Accelerators();
  ASSERT_NE(table, nullptr);
  int count = CopyAcceleratorTableA(table, nullptr, 0);
  std::vector<ACCEL> keys(static_cast<size_t>(count));
  CopyAcceleratorTableA(table, keys.data(), count);
  auto has = [&keys](BYTE modifiers, WORD key, WORD cmd) {
    for (const ACCEL& a : keys)
      if ((a.fVirt & ~FNOINVERT) == (FVIRTKEY | modifiers) && a.key == key && a.cmd == cmd) return true;
    return false;
  };
  EXPECT_EQ(count, 18);
  EXPECT_TRUE(has(FCONTROL, 'A', ID_EDIT_SELECT_ALL));
  EXPECT_TRUE(has(FCONTROL, 'O', ID_FILE_OPEN));
  EXPECT_TRUE(has(FCONTROL, 'N', ID_FILE_NEW));
  EXPECT_TRUE(has(FCONTROL, VK_INSERT, ID_EDIT_COPY));
  EXPECT_TRUE(has(FSHIFT, VK_INSERT, ID_EDIT_PASTE));
  EXPECT_TRUE(has(FSHIFT, VK_DELETE, ID_EDIT_CUT));
  EXPECT_TRUE(has(FALT, VK_BACK, ID_EDIT_UNDO));
  EXPECT_TRUE(has(0, VK_F5, ID_VIEW_REFRESH));
  EXPECT_TRUE(has(0, VK_F6, ID_NEXT_PANE));
  EXPECT_TRUE(has(FSHIFT, VK_F6, ID_PREV_PANE));
  EXPECT_TRUE(has(0, VK_F8, ID_TOOLS_SLIDESHOW));
}

TEST_F(Startup, AcceleratorOfACommandWithoutHandlerIsTranslatedAndRefused) {
  ASSERT_TRUE(app_.InitInstance());
  HWND hwnd = Frame()->m_hWnd;
  // Ctrl+S is Save, which nothing in the program handles.
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_SAVE));
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  MSG save{hwnd, WM_KEYDOWN, 'S', 0, 0, {}};
  bool translated = app_.PreTranslateMessage(&save);
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
  EXPECT_TRUE(translated);
  MSG plain{hwnd, WM_KEYDOWN, 'Q', 0, 0, {}};
  EXPECT_FALSE(app_.PreTranslateMessage(&plain));
  PumpMessages();
  EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(Startup, ExitCommandClosesTheProgram) {
  ASSERT_TRUE(app_.InitInstance());
  HWND hwnd = Frame()->m_hWnd;
  Frame()->SendMessage(WM_COMMAND, ID_APP_EXIT);
  PumpUntil([hwnd] { return !IsWindow(hwnd); });
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(app_.MainWnd(), nullptr);
}

}  // namespace
