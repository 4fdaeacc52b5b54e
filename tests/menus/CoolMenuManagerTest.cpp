#include <string>

#include "app/Resource.h"
#include "tests/menus/MenuTestFrame.h"

namespace {

using MenuManager = MenuTest;

constexpr int kFilePopup = 0;
constexpr int kViewPopup = 1;

TEST(MenuManagerInstall, EverywhereButTheNtFamilysVersionFour) {
  EXPECT_FALSE(ShouldInstallMenuManager(VER_PLATFORM_WIN32_NT, 4));
  EXPECT_TRUE(ShouldInstallMenuManager(VER_PLATFORM_WIN32_NT, 3));
  EXPECT_TRUE(ShouldInstallMenuManager(VER_PLATFORM_WIN32_NT, 5));
  EXPECT_TRUE(ShouldInstallMenuManager(VER_PLATFORM_WIN32_NT, 10));
  EXPECT_TRUE(ShouldInstallMenuManager(VER_PLATFORM_WIN32_WINDOWS, 4));
}

struct OpenMenuProbe {
  const CCoolMenuManager* manager = nullptr;
  HMENU popup = nullptr;
  bool sawOwnerDrawn = false;
  size_t records = 0;
  int ticks = 0;
};
OpenMenuProbe g_probe;

// Runs inside the menu's own loop: notes the popup's state, then ends the menu.
void CALLBACK ProbeOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  if (++g_probe.ticks < 3 && !IsWindowVisible(FindWindowA("#32768", nullptr))) return;
  KillTimer(nullptr, id);
  g_probe.sawOwnerDrawn = (ReadItem(g_probe.popup, 0).type & MFT_OWNERDRAW) != 0;
  g_probe.records = g_probe.manager->RecordCount();
  EndMenu();
}

TEST_F(MenuManager, ARealPopupIsOwnerDrawnWhileOpenAndPlainAfterItCloses) {
  frame_->ShowWindow(SW_SHOW);
  SetForegroundWindow(frame_->m_hWnd);
  g_probe = {&manager_, MenuBarPopup(kFilePopup)};
  UINT_PTR timer = SetTimer(nullptr, 0, 100, &ProbeOpenMenu);
  TrackPopupMenu(g_probe.popup, TPM_RETURNCMD, 10, 10, 0, frame_->m_hWnd, nullptr);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_probe.sawOwnerDrawn);
  EXPECT_EQ(g_probe.records, 12u);
  EXPECT_EQ(manager_.RecordCount(), 0u);
  EXPECT_FALSE(ReadItem(g_probe.popup, 0).type & MFT_OWNERDRAW);
  EXPECT_EQ(ReadItem(g_probe.popup, 0).text, "&Open...\tCtrl+" + KeyName('O'));
}

TEST_F(MenuManager, ToolbarCommandsGetTheirButtonImagesInOrder) {
  const UINT commands[] = {ID_TWAIN_ACQUIRE,      ID_VIEW_DISPLAY_MODE, ID_FILE_OPEN,     ID_FILE_PRINT,
                           ID_FILE_PRINT_PREVIEW, ID_FILE_SEND_MAIL,    ID_VIEW_ANNOTATE, ID_VIEW_FIND,
                           ID_TOOLS_SLIDESHOW,    ID_VIEW_WALLPAPER,    ID_FAVORITES_ADD, ID_VIEW_REFRESH,
                           ID_AUTO_ADVANCE_START, ID_AUTO_ADVANCE_STOP};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(manager_.ImageOfCommand(commands[i]), i) << commands[i];
  EXPECT_EQ(manager_.ImageOfCommand(ID_APP_EXIT), -1);
  EXPECT_EQ(manager_.ImageOfCommand(0), -1);
  EXPECT_EQ(ImageList_GetImageCount(manager_.ButtonImages()), 14);
  EXPECT_EQ(manager_.ImageSize().cx, 16);
  EXPECT_EQ(manager_.ImageSize().cy, 15);
  EXPECT_EQ(manager_.ButtonSize().cx, 20);
  EXPECT_EQ(manager_.ButtonSize().cy, 19);

  // Loading the same toolbar again keeps each command's first image.
  ASSERT_TRUE(manager_.AddToolbarImages(IDR_MAINFRAME));
  EXPECT_EQ(ImageList_GetImageCount(manager_.ButtonImages()), 28);
  EXPECT_EQ(manager_.ImageOfCommand(ID_AUTO_ADVANCE_STOP), 13);
  // A toolbar whose resources are missing adds nothing.
  EXPECT_FALSE(manager_.AddToolbarImages(4321));
  EXPECT_EQ(ImageList_GetImageCount(manager_.ButtonImages()), 28);
}

TEST_F(MenuManager, FilePopupIsConvertedAndTurnedBackWithRebuiltAcceleratorTexts) {
  HMENU file = MenuBarPopup(kFilePopup);
  int count = GetMenuItemCount(file);
  ASSERT_EQ(count, 12);
  Open(file);
  EXPECT_EQ(manager_.RecordCount(), 12u);
  EXPECT_EQ(manager_.ConvertedMenuCount(), 1u);
  for (int i = 0; i < count; ++i) {
    ItemState item = ReadItem(file, i);
    EXPECT_TRUE(item.type & MFT_OWNERDRAW) << i;
    ASSERT_NE(manager_.OwnedRecord(item.data), nullptr) << i;
    EXPECT_EQ(manager_.OwnedRecord(item.data)->signature, MenuItemRecord::kSignature);
  }
  const MenuItemRecord* open = Record(file, 0);
  EXPECT_EQ(open->text, "&Open...\tCtrl+" + KeyName('O'));
  EXPECT_EQ(open->image, 2);
  EXPECT_EQ(open->favoriteImage, -1);
  EXPECT_TRUE(Record(file, 1)->type & MFT_SEPARATOR);
  EXPECT_EQ(Record(file, 4)->text, "&Twain");
  EXPECT_EQ(Record(file, 4)->image, -1);
  // Print has Ctrl+P in its menu text but no accelerator: only its name is left.
  EXPECT_EQ(Record(file, 6)->text, "&Print...");
  EXPECT_EQ(Record(file, 6)->image, 3);
  EXPECT_EQ(Record(file, 11)->text, "E&xit");
  EXPECT_EQ(Record(file, 11)->image, -1);

  Close();
  EXPECT_EQ(manager_.RecordCount(), 0u);
  EXPECT_EQ(manager_.ConvertedMenuCount(), 0u);
  for (int i = 0; i < count; ++i) {
    ItemState item = ReadItem(file, i);
    EXPECT_FALSE(item.type & MFT_OWNERDRAW) << i;
    EXPECT_EQ(item.data, 0u) << i;
  }
  EXPECT_TRUE(ReadItem(file, 1).type & MFT_SEPARATOR);
  EXPECT_TRUE(ReadItem(file, 10).type & MFT_SEPARATOR);
  EXPECT_EQ(ReadItem(file, 0).text, "&Open...\tCtrl+" + KeyName('O'));
  EXPECT_EQ(ReadItem(file, 2).text, "Send &Email...");
  EXPECT_EQ(ReadItem(file, 4).text, "&Twain");
  EXPECT_EQ(ReadItem(file, 6).text, "&Print...");
  EXPECT_NE(GetSubMenu(file, 4), nullptr);
}

TEST_F(MenuManager, ViewPopupShowsSelectAllAndFunctionKeys) {
  HMENU view = MenuBarPopup(kViewPopup);
  Open(view);
  EXPECT_EQ(Record(view, PositionOf(view, ID_EDIT_SELECT_ALL))->text, "Select &All\tCtrl+" + KeyName('A'));
  EXPECT_EQ(Record(view, PositionOf(view, ID_VIEW_REFRESH))->text, "&Refresh\t" + KeyName(VK_F5));
  EXPECT_EQ(Record(view, PositionOf(view, ID_VIEW_AUTO_ADVANCE))->text, "A&uto Advance\t" + KeyName(VK_F4));
  Close();
  EXPECT_EQ(ReadItem(view, PositionOf(view, ID_VIEW_REFRESH)).text, "&Refresh\t" + KeyName(VK_F5));
}

TEST_F(MenuManager, CommandWithTwoAcceleratorsShowsTheLaterOneFirst) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, ID_EDIT_COPY, "&Copy");
  AppendMenuA(popup, MF_STRING, ID_EDIT_UNDO, "&Undo\tanything");
  AppendMenuA(popup, MF_STRING, ID_PREV_PANE, "Pre&vious Pane");
  Open(popup);
  EXPECT_EQ(Record(popup, 0)->text, "&Copy\tCtrl+" + KeyName(VK_INSERT) + ", Ctrl+C");
  EXPECT_EQ(Record(popup, 1)->text, "&Undo\tAlt+" + KeyName(VK_BACK) + ", Ctrl+Z");
  EXPECT_EQ(Record(popup, 2)->text, "Pre&vious Pane\tShift+" + KeyName(VK_F6));
  Close();
  EXPECT_EQ(ReadItem(popup, 0).text, "&Copy\tCtrl+" + KeyName(VK_INSERT) + ", Ctrl+C");
  DestroyMenu(popup);
}

TEST_F(MenuManager, SystemMenuKeepsTheSystemsOwnCommands) {
  HMENU system = GetSystemMenu(frame_->m_hWnd, FALSE);
  ASSERT_NE(system, nullptr);
  int count = GetMenuItemCount(system);
  ASSERT_GT(count, 2);
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
  int commands = 0;
  for (int i = 0; i < count; ++i) {
    if (GetMenuItemID(system, i) < 0xF000) continue;
    ++commands;
    EXPECT_FALSE(ReadItem(system, i).type & MFT_OWNERDRAW) << i;
    EXPECT_EQ(ReadItem(system, i).data, 0u) << i;
  }
  EXPECT_GT(commands, 2);
  Close();
  for (int i = 0; i < count; ++i) EXPECT_FALSE(ReadItem(system, i).type & MFT_OWNERDRAW) << i;
  EXPECT_EQ(manager_.RecordCount(), 0u);
}

TEST_F(MenuManager, LongTextsSurviveTheRoundTrip) {
  std::string name(700, 'x');
  name[0] = '&';
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, ID_EDIT_SELECT_ALL, (name + "\told").c_str());
  AppendMenuA(popup, MF_STRING, ID_APP_EXIT, name.c_str());
  Open(popup);
  std::string expected = name + "\tCtrl+" + KeyName('A');
  EXPECT_EQ(Record(popup, 0)->text, expected);
  EXPECT_EQ(Record(popup, 1)->text, name);
  Close();
  EXPECT_EQ(ReadItem(popup, 0).text, expected);
  EXPECT_EQ(ReadItem(popup, 1).text, name);
  DestroyMenu(popup);
}

TEST_F(MenuManager, ForeignItemDataIsLeftAloneEvenWithOurSignature) {
  // Someone else's item data that happens to start with the record signature.
  DWORD lookalike[8] = {MenuItemRecord::kSignature};
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, ID_FILE_OPEN, "&Open");
  AppendMenuA(popup, MF_STRING, ID_FILE_SEND_MAIL, "&Mail");
  AppendMenuA(popup, MF_OWNERDRAW, ID_EDIT_SELECT_ALL, nullptr);  // someone else draws it, no data
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(lookalike);
  SetMenuItemInfoA(popup, 1, TRUE, &info);

  Open(popup);
  EXPECT_TRUE(ReadItem(popup, 0).type & MFT_OWNERDRAW);
  ItemState foreign = ReadItem(popup, 1);
  EXPECT_FALSE(foreign.type & MFT_OWNERDRAW);
  EXPECT_EQ(foreign.data, reinterpret_cast<ULONG_PTR>(lookalike));
  EXPECT_EQ(foreign.text, "&Mail");
  EXPECT_EQ(ReadItem(popup, 2).data, 0u);
  EXPECT_EQ(manager_.RecordCount(), 1u);

  // Measuring and drawing requests for them go on to the frame.
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemID = ID_FILE_SEND_MAIL;
  measure.itemData = reinterpret_cast<ULONG_PTR>(lookalike);
  frame_->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
  EXPECT_EQ(frame_->measuresSeen, 1);
  EXPECT_EQ(measure.itemWidth, 0u);
  MemoryCanvas canvas(60, 20, RGB(1, 2, 3));
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemID = ID_EDIT_SELECT_ALL;
  draw.itemAction = ODA_DRAWENTIRE;
  draw.itemState = ODS_SELECTED;
  draw.hwndItem = reinterpret_cast<HWND>(popup);
  draw.hDC = canvas.Dc();
  draw.rcItem = {0, 0, 60, 20};
  draw.itemData = 0;
  frame_->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(frame_->drawsSeen, 1);
  EXPECT_EQ(canvas.Count({0, 0, 60, 20}, RGB(1, 2, 3)), 60 * 20);

  Close();
  EXPECT_EQ(ReadItem(popup, 1).data, reinterpret_cast<ULONG_PTR>(lookalike));
  EXPECT_TRUE(ReadItem(popup, 2).type & MFT_OWNERDRAW);
  DestroyMenu(popup);
}

TEST_F(MenuManager, ControlsOwnerDrawMessagesPassOnEvenWithARecordAsData) {
  HMENU file = MenuBarPopup(kFilePopup);
  Open(file);
  ULONG_PTR ours = ReadItem(file, 0).data;
  ASSERT_NE(manager_.OwnedRecord(ours), nullptr);

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_LISTBOX;
  measure.CtlID = 7;
  measure.itemData = ours;
  measure.itemHeight = 5;
  frame_->SendMessage(WM_MEASUREITEM, 7, reinterpret_cast<LPARAM>(&measure));
  EXPECT_EQ(frame_->measuresSeen, 1);
  EXPECT_EQ(measure.itemHeight, 5u);

  MemoryCanvas canvas(80, 20, RGB(1, 2, 3));
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_BUTTON;
  draw.CtlID = 7;
  draw.itemAction = ODA_DRAWENTIRE;
  draw.itemState = ODS_SELECTED;
  draw.hDC = canvas.Dc();
  draw.rcItem = {0, 0, 80, 20};
  draw.itemData = ours;
  frame_->SendMessage(WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(frame_->drawsSeen, 1);
  EXPECT_EQ(canvas.Count({0, 0, 80, 20}, RGB(1, 2, 3)), 80 * 20);
  Close();
}

TEST_F(MenuManager, MeasuresWithTheMenuFontAndTheButtonWidth) {
  HMENU file = MenuBarPopup(kFilePopup);
  Open(file);
  const MenuItemRecord* open = Record(file, 0);

  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  HFONT font = CreateFontIndirectA(&metrics.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT text{0, 0, 0, 0};
  DrawTextA(dc, open->text.c_str(), -1, &text, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemID = ID_FILE_OPEN;
  measure.itemData = ReadItem(file, 0).data;
  EXPECT_EQ(frame_->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
  EXPECT_EQ(frame_->measuresSeen, 0);
  EXPECT_EQ(static_cast<int>(measure.itemWidth), text.right + 2 * 20 + 6 - GetSystemMetrics(SM_CXMENUCHECK));
  EXPECT_EQ(static_cast<int>(measure.itemHeight), std::max<int>(text.bottom, GetSystemMetrics(SM_CYMENU)));

  MEASUREITEMSTRUCT separator{};
  separator.CtlType = ODT_MENU;
  separator.itemData = ReadItem(file, 1).data;
  separator.itemWidth = 99;
  EXPECT_EQ(frame_->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&separator)), TRUE);
  EXPECT_EQ(static_cast<int>(separator.itemHeight), GetSystemMetrics(SM_CYMENU) / 2);
  EXPECT_EQ(separator.itemWidth, 0u);
  Close();
}

TEST_F(MenuManager, MnemonicsExecuteAUniqueLetterAndCycleThroughAShared) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, ID_FILE_OPEN, "&Alpha");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, ID_FILE_SEND_MAIL, "B&anana");
  AppendMenuA(popup, MF_STRING, ID_EDIT_SELECT_ALL, "&Cherry");
  AppendMenuA(popup, MF_STRING, ID_APP_EXIT, "No mnemonic&");
  Open(popup);
  auto menuChar = [&](char c) {
    return frame_->SendMessage(WM_MENUCHAR, MAKEWPARAM(static_cast<BYTE>(c), MF_POPUP),
                               reinterpret_cast<LPARAM>(popup));
  };
  auto highlight = [&](int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfoA(popup, static_cast<UINT>(position), TRUE, &info);
    info.fState |= MFS_HILITE;
    SetMenuItemInfoA(popup, static_cast<UINT>(position), TRUE, &info);
  };
  EXPECT_EQ(menuChar('c'), MAKELRESULT(3, MNC_EXECUTE));
  EXPECT_EQ(menuChar('C'), MAKELRESULT(3, MNC_EXECUTE));
  EXPECT_EQ(menuChar('a'), MAKELRESULT(0, MNC_SELECT));
  highlight(0);
  EXPECT_EQ(menuChar('A'), MAKELRESULT(2, MNC_SELECT));
  highlight(2);  // the last highlighted item counts
  EXPECT_EQ(menuChar('a'), MAKELRESULT(0, MNC_SELECT));
  EXPECT_EQ(frame_->menuCharsSeen, 0);
  EXPECT_EQ(menuChar('z'), 0);
  EXPECT_EQ(frame_->menuCharsSeen, 1);
  Close();
  // Plain items are the system's business again.
  EXPECT_EQ(menuChar('c'), 0);
  DestroyMenu(popup);
}

TEST_F(MenuManager, OpeningAPopupAgainOrRebuildingItLeaksNoRecord) {
  HMENU file = MenuBarPopup(kFilePopup);
  HMENU twain = GetSubMenu(file, 4);
  Open(file);
  Open(twain, 4);
  EXPECT_EQ(manager_.RecordCount(), 14u);
  ULONG_PTR first = ReadItem(file, 0).data;
  size_t gdiOpen = LiveGdiObjects();
  Open(file);
  EXPECT_EQ(LiveGdiObjects(), gdiOpen);
  EXPECT_EQ(manager_.RecordCount(), 14u);
  EXPECT_EQ(ReadItem(file, 0).data, first);
  EXPECT_EQ(manager_.ConvertedMenuCount(), 2u);

  // A list rebuilt while its menu is open: the old items go, new ones come.
  HMENU list = CreatePopupMenu();
  for (UINT id = ID_FAVORITE_FIRST; id < ID_FAVORITE_FIRST + 5; ++id) AppendMenuA(list, MF_STRING, id, "entry");
  Open(list);
  EXPECT_EQ(manager_.RecordCount(), 19u);
  size_t gdiList = LiveGdiObjects();
  while (GetMenuItemCount(list) > 0) DeleteMenu(list, 0, MF_BYPOSITION);
  AppendMenuA(list, MF_STRING, ID_FAVORITE_FIRST, "entry");
  AppendMenuA(list, MF_STRING, ID_FAVORITE_FIRST + 1, "entry");
  Open(list);
  EXPECT_EQ(manager_.RecordCount(), 16u);
  EXPECT_EQ(LiveGdiObjects(), gdiList);
  Close();
  EXPECT_EQ(manager_.RecordCount(), 0u);
  EXPECT_LE(LiveGdiObjects(), gdiOpen);
  DestroyMenu(list);
}

TEST_F(MenuManager, RepeatedSessionsKeepGdiObjectsAndRecordsLevel) {
  HMENU file = MenuBarPopup(kFilePopup);
  MemoryCanvas canvas(200, 24, RGB(1, 2, 3));
  auto session = [&] {
    Open(file);
    for (int i = 0; i < GetMenuItemCount(file); ++i) {
      MEASUREITEMSTRUCT measure{};
      measure.CtlType = ODT_MENU;
      measure.itemData = ReadItem(file, i).data;
      frame_->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
      for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED), static_cast<UINT>(ODS_GRAYED)}) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = GetMenuItemID(file, i);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(file);
        draw.hDC = canvas.Dc();
        draw.rcItem = {0, 0, 200, 24};
        draw.itemData = ReadItem(file, i).data;
        frame_->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
      }
    }
    Close();
  };
  // The count sees objects come and go.
  size_t start = LiveGdiObjects();
  HBRUSH brushes[5];
  for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(9, 9, 9));
  EXPECT_EQ(LiveGdiObjects(), start + 5);
  for (HBRUSH brush : brushes) DeleteObject(brush);
  EXPECT_EQ(LiveGdiObjects(), start);

  session();  // the menu font is made once, at the first measurement
  size_t before = LiveGdiObjects();
  for (int round = 0; round < 20; ++round) session();
  EXPECT_EQ(LiveGdiObjects(), before);
  EXPECT_EQ(manager_.RecordCount(), 0u);
}

TEST_F(MenuManager, ReleaseAllTurnsOpenMenusBackAndReloadKeepsTheImages) {
  HMENU file = MenuBarPopup(kFilePopup);
  Open(file);
  manager_.ReleaseAll();
  EXPECT_EQ(manager_.RecordCount(), 0u);
  EXPECT_EQ(ReadItem(file, 0).data, 0u);
  EXPECT_FALSE(ReadItem(file, 0).type & MFT_OWNERDRAW);
  EXPECT_EQ(ReadItem(file, 0).text, "&Open...\tCtrl+" + KeyName('O'));
  EXPECT_EQ(manager_.ImageOfCommand(ID_FILE_OPEN), -1);
  EXPECT_EQ(manager_.ImageSize().cx, 0);

  ASSERT_TRUE(manager_.AddToolbarImages(IDR_MAINFRAME));
  frame_->SendMessage(WM_SYSCOLORCHANGE);
  EXPECT_EQ(manager_.ImageOfCommand(ID_FILE_OPEN), 2);
  EXPECT_EQ(ImageList_GetImageCount(manager_.ButtonImages()), 14);
}

TEST_F(MenuManager, DestroyingTheManagerTurnsItsItemsBackAndUnhooks) {
  HMENU file = MenuBarPopup(kFilePopup);
  {
    CCoolMenuManager second;
    second.Install(frame_);
    second.AddToolbarImages(IDR_MAINFRAME);
    manager_.HookTo(nullptr);
    Open(file);
    EXPECT_EQ(second.RecordCount(), 12u);
  }
  EXPECT_EQ(CSubclassWnd::HookOf(frame_->m_hWnd), nullptr);
  EXPECT_EQ(ReadItem(file, 0).data, 0u);
  EXPECT_FALSE(ReadItem(file, 0).type & MFT_OWNERDRAW);
}

TEST_F(MenuManager, FavoritesShowAFolderOrAFileImageReadOncePerPopup) {
  // A gap in the numbering closes up, as in the Favorites menu's entries.
  app_.WriteProfileString("Favorites", "Favorites1", "Holidays");
  app_.WriteProfileString("Favorites", "Favorites3", "beach.jpg");
  app_.WriteProfileString("Favorites", "Favorites4", "my.folder");
  HMENU list = CreatePopupMenu();
  AppendMenuA(list, MF_STRING, ID_FAVORITES_ADD, "&Add to Favorites\tF7");
  AppendMenuA(list, MF_SEPARATOR, 0, nullptr);
  for (UINT k = 0; k < 4; ++k) AppendMenuA(list, MF_STRING, ID_FAVORITE_FIRST + k, "favourite");
  AppendMenuA(list, MF_STRING, CCoolMenuManager::kLastImagedFavorite + 1, "fifty-first");
  size_t reads = manager_.FavoriteListReads();
  Open(list);
  EXPECT_EQ(manager_.FavoriteListReads(), reads + 1);
  EXPECT_EQ(Record(list, 0)->favoriteImage, -1);
  EXPECT_EQ(Record(list, 0)->image, 10);
  EXPECT_EQ(Record(list, 0)->text, "&Add to Favorites\t" + KeyName(VK_F7));
  EXPECT_EQ(Record(list, 2)->favoriteImage, 0);
  EXPECT_EQ(Record(list, 3)->favoriteImage, 1);
  EXPECT_EQ(Record(list, 4)->favoriteImage, 1);
  EXPECT_EQ(Record(list, 5)->favoriteImage, 0);  // no entry
  EXPECT_EQ(Record(list, 6)->favoriteImage, -1);
  Close();

  // Popups without favourites never read the list.
  Open(MenuBarPopup(kFilePopup));
  EXPECT_EQ(manager_.FavoriteListReads(), reads + 1);
  Close();
  DestroyMenu(list);
}

}  // namespace
