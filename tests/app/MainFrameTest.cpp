#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/MyListView.h"
#include "framework/ControlBars.h"
#include "navigation/DriveView.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"

namespace {

using MainFrame = AppTest;

// The popup of the main menu that holds `id`, searched through submenus.
HMENU PopupHolding(HMENU menu, UINT id) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (GetMenuItemID(menu, i) == id) return menu;
    if (HMENU sub = GetSubMenu(menu, i))
      if (HMENU found = PopupHolding(sub, id)) return found;
  }
  return nullptr;
}

// Opens (as far as the update rules go) the popup holding `id` and reads the item's state.
UINT MenuState(CMainFrame* frame, UINT id) {
  HMENU popup = PopupHolding(GetMenu(frame->m_hWnd), id);
  if (!popup) return 0xFFFFFFFF;
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE;
  GetMenuItemInfoA(popup, id, FALSE, &info);
  return info.fState | info.fType;
}
bool RadioMarked(CMainFrame* frame, UINT id) {
  UINT state = MenuState(frame, id);
  return (state & MFT_RADIOCHECK) && (state & MFS_CHECKED);
}
bool Enabled(CMainFrame* frame, UINT id) { return !(MenuState(frame, id) & MFS_GRAYED); }

int PaneWidth(CWnd* pane) {
  RECT r;
  GetWindowRect(pane->m_hWnd, &r);
  return r.right - r.left;
}

TEST_F(MainFrame, ThreePanesOfTheRightKindsWithTheInitialWidths) {
  app_.SetRegistryKey(kRegistryCompany);
  auto* frame = new CMainFrame;
  ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME));
  app_.SetMainWnd(frame);
  // Not yet shown: the client area is the one the panes were made for.
  int w = frame->GetClientRect().right;
  CSplitterWnd& splitter = frame->Splitter();
  EXPECT_EQ(splitter.GetColumnCount(), 3);
  EXPECT_TRUE(splitter.GetPane(0, 0)->IsKindOf(&CDriveView::kClass));
  EXPECT_TRUE(splitter.GetPane(0, 1)->IsKindOf(&CMyListView::kClass));
  EXPECT_TRUE(splitter.GetPane(0, 2)->IsKindOf(&CMyScrollView::kClass));
  EXPECT_EQ(splitter.GetColumnIdeal(0), w * 33 / 100);
  EXPECT_EQ(splitter.GetColumnIdeal(1), w * 66 / 100);
  EXPECT_EQ(splitter.GetColumnIdeal(2), w / 100);
  EXPECT_EQ(PaneWidth(splitter.GetPane(0, 0)), w * 33 / 100);
  EXPECT_EQ(PaneWidth(splitter.GetPane(0, 1)), w * 66 / 100);
  EXPECT_EQ(GetDlgCtrlID(splitter.m_hWnd), 0xE900);
  EXPECT_EQ(InitialPaneExtent(2, 1000), 10);
}

TEST_F(MainFrame, ToolbarHasTheFourteenButtonsAndTheirTooltips) {
  ASSERT_TRUE(app_.InitInstance());
  CToolBar* bar = Frame()->GetToolBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetDlgCtrlID(bar->m_hWnd), 0xE800);
  EXPECT_EQ(GetDlgCtrlID(Frame()->GetStatusBar()->m_hWnd), 0xE801);
  const UINT expected[] = {32782, 0,     32788, 0,     57601, 57607, 57609, 0,     57612, 0,     32785, 32786,
                           0,     32775, 0,     32797, 0,     32776, 0,     32787, 0,     32867, 32866};
  ASSERT_EQ(bar->ButtonCount(), 23);
  int images = 0;
  for (int i = 0; i < 23; ++i) {
    EXPECT_EQ(bar->ButtonId(i), expected[i]) << i;
    if (expected[i]) {
      TBBUTTON button{};
      bar->SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
      EXPECT_EQ(button.iBitmap, images++);
    }
  }
  EXPECT_EQ(images, 14);

  NMTTDISPINFOA tip{};
  tip.hdr.hwndFrom = bar->m_hWnd;
  tip.hdr.idFrom = ID_VIEW_REFRESH;
  tip.hdr.code = TTN_GETDISPINFOA;
  Frame()->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(tip.lpszText, "Refresh");
}

TEST_F(MainFrame, IdleUpdateEnablesOnlyTheButtonsWithHandlers) {
  ASSERT_TRUE(app_.InitInstance());
  app_.OnIdle(0);
  CToolBar* bar = Frame()->GetToolBar();
  auto enabled = [bar](UINT id) { return bar->SendMessage(TB_ISBUTTONENABLED, id) != 0; };
  EXPECT_TRUE(enabled(ID_VIEW_REFRESH));
  EXPECT_TRUE(enabled(ID_VIEW_DISPLAY_MODE));
  EXPECT_FALSE(enabled(ID_FILE_OPEN));     // the tree is active
  EXPECT_TRUE(enabled(ID_TWAIN_ACQUIRE));  // always, also without a scanner
}

TEST_F(MainFrame, ListCommandsAreDisabledWhileTheTreeIsActive) {
  ASSERT_TRUE(app_.InitInstance());
  CSplitterWnd& splitter = Frame()->Splitter();
  ASSERT_EQ(Frame()->GetActiveView(), splitter.GetPane(0, 0));
  for (UINT id :
       {ID_FILE_OPEN, ID_EDIT_SELECT_ALL, ID_VIEW_ANNOTATE, ID_VIEW_FIND, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
    EXPECT_FALSE(Enabled(Frame(), id)) << id;
  for (UINT id : {ID_VIEW_DISPLAY_MODE, ID_VIEW_REFRESH, ID_VIEW_REGENERATE, ID_APP_ABOUT, ID_APP_EXIT})
    EXPECT_TRUE(Enabled(Frame(), id)) << id;
  EXPECT_FALSE(Enabled(Frame(), ID_VIEW_CLOSE_ALL));  // no viewer window is open
}

TEST_F(MainFrame, SortAndSizeRadioMarksFollowTheProfile) {
  app_.SetRegistryKey(kRegistryCompany);
  app_.WriteProfileInt("Settings", "SortBy", 2);
  app_.WriteProfileInt("Settings", "ThumbnailSize", 0);
  ASSERT_TRUE(app_.InitInstance());
  EXPECT_TRUE(RadioMarked(Frame(), ID_SORT_SIZE));
  EXPECT_FALSE(RadioMarked(Frame(), ID_SORT_NAME));
  EXPECT_TRUE(RadioMarked(Frame(), ID_THUMB_SMALLER));
  EXPECT_FALSE(RadioMarked(Frame(), ID_THUMB_SMALL));

  Command(ID_SORT_DATE);
  EXPECT_EQ(app_.GetProfileInt("Settings", "SortBy", -1), 1);
  EXPECT_TRUE(RadioMarked(Frame(), ID_SORT_DATE));
  EXPECT_FALSE(RadioMarked(Frame(), ID_SORT_SIZE));

  app_.WriteProfileInt("Settings", "SortBy", 7);  // out of range: no mark at all
  for (UINT id : {ID_SORT_NAME, ID_SORT_DATE, ID_SORT_SIZE}) EXPECT_FALSE(RadioMarked(Frame(), id));
}

TEST_F(MainFrame, LargestThumbnailsAreChosenAndKeptAfterARestart) {
  ASSERT_TRUE(app_.InitInstance());
  EXPECT_TRUE(RadioMarked(Frame(), ID_THUMB_SMALL));  // default code 1
  Command(ID_THUMB_LARGEST);
  EXPECT_EQ(g_thumbnailWidth, 504);
  EXPECT_EQ(app_.GetProfileInt("Settings", "ThumbnailSize", -1), 4);
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(Frame()->ListView()->Thumbnails(), &width, &height);
  EXPECT_EQ(width, 504);  // the image list was made again at the new box
  LRESULT spacing = Frame()->ListView()->SendMessage(LVM_GETITEMSPACING, FALSE);
  EXPECT_GT(LOWORD(spacing), 504);  // and the items are spaced for it
  EXPECT_GT(HIWORD(spacing), 504);
  EXPECT_TRUE(RadioMarked(Frame(), ID_THUMB_LARGEST));

  SetThumbnailBox(96);
  Restart();
  EXPECT_EQ(g_thumbnailWidth, 504);
  EXPECT_TRUE(RadioMarked(Frame(), ID_THUMB_LARGEST));
  EXPECT_FALSE(RadioMarked(Frame(), ID_THUMB_SMALL));
}

TEST_F(MainFrame, DisplayModeGoesFromIconToReportAndEverythingElseToIcon) {
  ASSERT_TRUE(app_.InitInstance());
  HWND list = Frame()->ListView()->m_hWnd;
  auto mode = [list] { return GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK; };
  LONG otherBits = GetWindowLongA(list, GWL_STYLE) & ~LVS_TYPEMASK;
  EXPECT_EQ(mode(), LVS_ICON);
  Command(ID_VIEW_DISPLAY_MODE);
  EXPECT_EQ(mode(), LVS_REPORT);
  Command(ID_VIEW_DISPLAY_MODE);
  EXPECT_EQ(mode(), LVS_ICON);
  for (LONG start : {LVS_SMALLICON, LVS_LIST}) {
    SetWindowLongA(list, GWL_STYLE, otherBits | start);
    Command(ID_VIEW_DISPLAY_MODE);
    EXPECT_EQ(mode(), LVS_ICON);
  }
  EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & ~LVS_TYPEMASK, otherBits);
}

TEST_F(MainFrame, NextAndPreviousPaneCycleThroughThePanesAlsoByKey) {
  ASSERT_TRUE(app_.InitInstance());
  CSplitterWnd& splitter = Frame()->Splitter();
  CWnd* tree = splitter.GetPane(0, 0);
  CWnd* list = splitter.GetPane(0, 1);
  CWnd* preview = splitter.GetPane(0, 2);
  Command(ID_NEXT_PANE);
  EXPECT_EQ(Frame()->GetActiveView(), list);
  EXPECT_EQ(GetFocus(), list->m_hWnd);
  Command(ID_NEXT_PANE);
  EXPECT_EQ(Frame()->GetActiveView(), preview);
  Command(ID_NEXT_PANE);
  EXPECT_EQ(Frame()->GetActiveView(), tree);
  Command(ID_PREV_PANE);
  EXPECT_EQ(Frame()->GetActiveView(), preview);

  MSG f6{list->m_hWnd, WM_KEYDOWN, VK_F6, 0, 0, {}};
  EXPECT_TRUE(app_.PreTranslateMessage(&f6));
  EXPECT_EQ(Frame()->GetActiveView(), tree);
}

TEST_F(MainFrame, ClickingIntoAPaneMakesItActive) {
  ASSERT_TRUE(app_.InitInstance());
  CWnd* list = Frame()->Splitter().GetPane(0, 1);
  list->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Frame()->m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  EXPECT_EQ(Frame()->GetActiveView(), list);
}

TEST_F(MainFrame, StatusBarShowsThePromptOfTheHighlightedItemThenReady) {
  ASSERT_TRUE(app_.InitInstance());
  CStatusBar* status = Frame()->GetStatusBar();
  ASSERT_EQ(status->PaneCount(), 5);
  EXPECT_EQ(status->GetPaneText(0), "Ready");
  HMENU view = GetSubMenu(GetMenu(Frame()->m_hWnd), 1);
  Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_VIEW_REFRESH, MF_HILITE), reinterpret_cast<LPARAM>(view));
  EXPECT_EQ(status->GetPaneText(0), "Refreshes the contents of the current folder");
  Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, MF_HILITE), reinterpret_cast<LPARAM>(view));
  EXPECT_EQ(status->GetPaneText(0), "Quit the application");
  Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(4, MF_POPUP | MF_HILITE), reinterpret_cast<LPARAM>(view));
  EXPECT_EQ(status->GetPaneText(0), "");
  Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(status->GetPaneText(0), "Ready");
}

TEST_F(MainFrame, ToolbarAndStatusBarCanBeHiddenAndShown) {
  ASSERT_TRUE(app_.InitInstance());
  HWND toolbar = Frame()->GetToolBar()->m_hWnd;
  HWND splitter = Frame()->Splitter().m_hWnd;
  RECT before;
  GetWindowRect(splitter, &before);
  EXPECT_TRUE(MenuState(Frame(), ID_VIEW_TOOLBAR) & MFS_CHECKED);
  Command(ID_VIEW_TOOLBAR);
  EXPECT_FALSE(IsWindowVisible(toolbar));
  EXPECT_FALSE(MenuState(Frame(), ID_VIEW_TOOLBAR) & MFS_CHECKED);
  RECT after;
  GetWindowRect(splitter, &after);
  EXPECT_LT(after.top, before.top);  // the panes took the toolbar's room
  Command(ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(IsWindowVisible(Frame()->GetStatusBar()->m_hWnd));
  Command(ID_VIEW_TOOLBAR);
  EXPECT_TRUE(IsWindowVisible(toolbar));
  GetWindowRect(splitter, &after);
  EXPECT_EQ(after.top, before.top);
}

TEST_F(MainFrame, RefreshAndRegeneratePostAListingToTheListView) {
  ASSERT_TRUE(app_.InitInstance());
  PumpMessages();
  HWND list = Frame()->ListView()->m_hWnd;
  for (UINT id : {ID_VIEW_REFRESH, ID_VIEW_REGENERATE, ID_THUMB_LARGE}) {
    Command(id);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, list, 0x0401, 0x0401, PM_REMOVE)) << id;
    EXPECT_EQ(msg.lParam, 0);
  }
}

}  // namespace

namespace {

TEST_F(MainFrame, CloseAllWindowsClosesEveryViewerWindow) {
  ASSERT_TRUE(app_.InitInstance());
  TempDir dir;
  std::string path = dir / "a.jpg";
  WriteTestFile(path, "not decodable, still opens");
  std::vector<HWND> windows;
  for (int i = 0; i < 3; ++i) windows.push_back(OpenViewer(path)->m_hWnd);
  EXPECT_TRUE(Enabled(Frame(), ID_VIEW_CLOSE_ALL));
  Command(ID_VIEW_CLOSE_ALL);
  PumpMessages();
  for (HWND hwnd : windows) EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(Viewers().windows.empty());
  EXPECT_FALSE(Enabled(Frame(), ID_VIEW_CLOSE_ALL));
}

TEST_F(MainFrame, CloseAllWindowsAfterAViewerWasDestroyedWithoutClosing) {
  ASSERT_TRUE(app_.InitInstance());
  TempDir dir;
  std::string path = dir / "a.jpg";
  WriteTestFile(path, "not decodable, still opens");
  std::vector<HWND> windows;
  for (int i = 0; i < 3; ++i) windows.push_back(OpenViewer(path)->m_hWnd);
  ASSERT_TRUE(DestroyWindow(windows[1]));
  EXPECT_EQ(Viewers().windows.size(), 2u);
  Command(ID_VIEW_CLOSE_ALL);
  PumpMessages();
  for (HWND hwnd : windows) EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(Viewers().windows.empty());
}

TEST_F(MainFrame, TheActivePaneHasTheKeyboardFocusAfterStartAndWhenAViewerCloses) {
  ASSERT_TRUE(app_.InitInstance());
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), Frame()->m_hWnd);
  EXPECT_EQ(GetFocus(), Frame()->DriveView()->m_hWnd);

  Command(ID_NEXT_PANE);
  HWND list = Frame()->ListView()->m_hWnd;
  ASSERT_EQ(GetFocus(), list);
  TempDir dir;
  std::string path = dir / "a.jpg";
  WriteTestFile(path, "not decodable, still opens");
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  PumpMessages();
  // The viewer takes the keyboard to its picture, where F2, F3 and F4 work...
  EXPECT_EQ(GetActiveWindow(), viewer->m_hWnd);
  EXPECT_EQ(GetFocus(), viewer->View()->m_hWnd);
  // ...and the main window gives it back to its active pane when it is active again.
  viewer->SendMessage(WM_CLOSE);
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), Frame()->m_hWnd);
  EXPECT_EQ(GetFocus(), list);

  // Focusing the frame itself also ends in the active pane.
  SetFocus(Frame()->m_hWnd);
  EXPECT_EQ(GetFocus(), list);
}

}  // namespace

namespace {

TEST(DockSide, TheNearestAllowedSideWins) {
  RECT client{0, 0, 1000, 800};
  EXPECT_EQ(NearestDockSide({500, 10}, client, CBRS_ALIGN_ANY), CBRS_ALIGN_TOP);
  EXPECT_EQ(NearestDockSide({500, 790}, client, CBRS_ALIGN_ANY), CBRS_ALIGN_BOTTOM);
  EXPECT_EQ(NearestDockSide({5, 400}, client, CBRS_ALIGN_ANY), CBRS_ALIGN_LEFT);
  EXPECT_EQ(NearestDockSide({990, 400}, client, CBRS_ALIGN_ANY), CBRS_ALIGN_RIGHT);
  EXPECT_EQ(NearestDockSide({-50, 400}, client, CBRS_ALIGN_ANY), CBRS_ALIGN_LEFT);  // dropped outside
  EXPECT_EQ(NearestDockSide({5, 400}, client, CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM), CBRS_ALIGN_TOP);
  EXPECT_EQ(NearestDockSide({5, 400}, client, 0), 0u);
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(MainFrame, TheToolbarDocksToEverySideOfTheFrame) {
  ASSERT_TRUE(app_.InitInstance());
  CToolBar* bar = Frame()->GetToolBar();
  HWND frame = Frame()->m_hWnd;
  RECT client = Frame()->GetClientRect();
  bar->SetDockSide(CBRS_ALIGN_LEFT);
  RECT r = ChildRect(frame, bar->m_hWnd);
  EXPECT_EQ(r.left, 0);
  EXPECT_GT(r.bottom - r.top, r.right - r.left);  // one column of buttons
  RECT panes = ChildRect(frame, Frame()->Splitter().m_hWnd);
  EXPECT_EQ(panes.left, r.right);
  EXPECT_EQ(panes.top, 0);

  bar->SetDockSide(CBRS_ALIGN_RIGHT);
  r = ChildRect(frame, bar->m_hWnd);
  EXPECT_EQ(r.right, client.right);
  EXPECT_EQ(ChildRect(frame, Frame()->Splitter().m_hWnd).right, r.left);

  // Picked up between two buttons and dropped near the bottom edge: docked above the status bar.
  RECT separator;
  bar->SendMessage(TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&separator));
  POINT down{(separator.left + separator.right) / 2, (separator.top + separator.bottom) / 2};
  bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
  POINT drop{client.right / 2, client.bottom - 5};
  MapWindowPoints(frame, bar->m_hWnd, &drop, 1);
  bar->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
  EXPECT_EQ(bar->DockSide(), CBRS_ALIGN_BOTTOM);
  r = ChildRect(frame, bar->m_hWnd);
  RECT status = ChildRect(frame, Frame()->GetStatusBar()->m_hWnd);
  EXPECT_EQ(r.bottom, status.top);
  EXPECT_EQ(r.right - r.left, client.right);

  // A press on a button is the button's: the bar stays where it is.
  RECT button;
  bar->SendMessage(TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&button));
  bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 3, button.top + 3));
  bar->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(0, -500));
  EXPECT_EQ(bar->DockSide(), CBRS_ALIGN_BOTTOM);
}

}  // namespace
