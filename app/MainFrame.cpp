#include "app/MainFrame.h"

#include "app/ImageBrowserApp.h"
#include "app/Resource.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "image/ImageSettings.h"
#include "navigation/DriveView.h"
#include "search/FindDlg.h"
#include "viewer/MyScrollView.h"
#include "viewer/ViewerList.h"

namespace {
constexpr UINT kIndicators[] = {0, IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
}  // namespace

int InitialPaneExtent(int column, int extent) {
  switch (column) {
    case 0: return extent * 33 / 100;
    case 1: return extent * 66 / 100;
    default: return extent / 100;
  }
}

int ThumbnailCodeOfCommand(UINT id) {
  if (id >= ID_THUMB_SMALLER && id <= ID_THUMB_LARGER) return static_cast<int>(id - ID_THUMB_SMALLER);
  return id == ID_THUMB_LARGEST ? 4 : -1;
}

const CRuntimeClass CMainFrame::kClass{"CMainFrame", &CFrameWnd::kClass, &CreateObjectOf<CMainFrame>};
const MessageMap CMainFrame::kMessageMap{
    &CFrameWnd::kMessageMap,
    {
        OnWmCreate(&CMainFrame::OnCreate),
        OnCommandRange(ID_SORT_NAME, ID_SORT_SIZE, &CMainFrame::OnSort),
        OnUpdateCommandRange(ID_SORT_NAME, ID_SORT_SIZE, &CMainFrame::OnUpdateSort),
        OnCommandRange(ID_THUMB_SMALLER, ID_THUMB_LARGER, &CMainFrame::OnThumbnailSize),
        OnUpdateCommandRange(ID_THUMB_SMALLER, ID_THUMB_LARGER, &CMainFrame::OnUpdateThumbnailSize),
        OnCommandRange(ID_THUMB_LARGEST, ID_THUMB_LARGEST, &CMainFrame::OnThumbnailSize),
        OnUpdateCommand(ID_THUMB_LARGEST, &CMainFrame::OnUpdateThumbnailSize),
        OnCommand(ID_VIEW_DISPLAY_MODE, &CMainFrame::OnDisplayMode),
        OnCommand(ID_VIEW_REFRESH, &CMainFrame::OnRefresh),
        OnCommand(ID_VIEW_REGENERATE, &CMainFrame::OnRegenerate),
        OnCommand(ID_VIEW_CLOSE_ALL, &CMainFrame::OnCloseAllWindows),
        OnUpdateCommand(ID_VIEW_CLOSE_ALL, &CMainFrame::OnUpdateCloseAllWindows),
        OnCommandRange(ID_VIEW_AUTO_ADVANCE, ID_VIEW_AUTO_ADVANCE, &CMainFrame::OnAutoAdvanceCommand),
        OnCommandRange(ID_AUTO_ADVANCE_STOP, ID_AUTO_ADVANCE_START, &CMainFrame::OnAutoAdvanceCommand),
        OnUpdateCommand(ID_VIEW_AUTO_ADVANCE, &CMainFrame::OnUpdateAutoAdvanceCommand),
        OnUpdateCommandRange(ID_AUTO_ADVANCE_STOP, ID_AUTO_ADVANCE_START, &CMainFrame::OnUpdateAutoAdvanceCommand),
    },
};

int CMainFrame::OnCreate(CREATESTRUCTA* cs) {
  if (CFrameWnd::OnCreate(cs) == -1) return -1;
  if (!toolBar_.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP) || !toolBar_.LoadToolBar(IDR_MAINFRAME)) return -1;
  if (!statusBar_.Create(this) || !statusBar_.SetIndicators(kIndicators, 4)) return -1;
  if (IsAvailable()) {
    SetParentWindow(m_hWnd);
    if (!OpenManager()) OnError(0);
    TheApp()->GetProfileInt("Twain", "XferMode", mechanism_);
    SetTransferMechanism(1);
  }
  toolBar_.SetBarStyle(toolBar_.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
  toolBar_.EnableDocking(CBRS_ALIGN_ANY);
  EnableDocking(CBRS_ALIGN_ANY);
  SetMessageText(AFX_IDS_IDLEMESSAGE);
  RecalcLayout();
  return 0;
}

bool CMainFrame::OnCreateClient(CREATESTRUCTA*) {
  RECT client = GetClientRect();
  if (!splitter_.CreateStatic(this, 1, 3)) return false;
  const CRuntimeClass* panes[] = {&CDriveView::kClass, &CMyListView::kClass, &CMyScrollView::kClass};
  for (int column = 0; column < 3; ++column) {
    SIZE size{InitialPaneExtent(column, client.right), InitialPaneExtent(column, client.bottom)};
    if (!splitter_.CreateView(0, column, panes[column], size)) return false;
  }
  SetActiveView(splitter_.GetPane(0, 0), false);
  return true;
}

bool CMainFrame::PreTranslateMessage(MSG* msg) {
  if (ProcessMessage(*msg)) return true;
  return CFrameWnd::PreTranslateMessage(msg);
}

CDriveView* CMainFrame::DriveView() const { return static_cast<CDriveView*>(splitter_.GetPane(0, 0)); }
CMyListView* CMainFrame::ListView() const { return static_cast<CMyListView*>(splitter_.GetPane(0, 1)); }
CMyScrollView* CMainFrame::Preview() const { return static_cast<CMyScrollView*>(splitter_.GetPane(0, 2)); }

void CMainFrame::ShowFolder(const std::string& path) {
  shownFolder_ = path;
  if (CDriveView* tree = DriveView()) tree->SelectFolderPath(path, true);
}

void CMainFrame::OnSort(UINT id) {
  if (CMyListView* list = ListView()) list->SortFiles(static_cast<int>(id - ID_SORT_NAME));
}

void CMainFrame::OnUpdateSort(CCmdUI& ui) {
  ui.SetRadio(TheApp()->GetProfileInt(kSettingsSection, kSortByEntry, 0) == static_cast<int>(ui.id - ID_SORT_NAME));
}

void CMainFrame::OnThumbnailSize(UINT id) {
  int code = ThumbnailCodeOfCommand(id);
  SetThumbnailBox(ThumbnailBoxForCode(code));
  if (CMyListView* list = ListView()) {
    list->PurgeThumbnails();
    list->PostMessage(kWmListFolder);
  }
  TheApp()->WriteProfileInt(kSettingsSection, kThumbnailSizeEntry, code);
}

void CMainFrame::OnUpdateThumbnailSize(CCmdUI& ui) {
  ui.SetRadio(TheApp()->GetProfileInt(kSettingsSection, kThumbnailSizeEntry, 1) == ThumbnailCodeOfCommand(ui.id));
}

void CMainFrame::OnDisplayMode() {
  if (CMyListView* list = ListView()) list->ToggleDisplayMode();
}

void CMainFrame::OnRefresh() {
  if (CMyListView* list = ListView()) list->PostMessage(kWmListFolder);
}

void CMainFrame::OnRegenerate() {
  if (CMyListView* list = ListView()) {
    list->PurgeThumbnails();
    list->PostMessage(kWmListFolder);
  }
}

void CMainFrame::OnCloseAllWindows() {
  // Each window removes itself from the list when it closes, later: post, don't send.
  for (CWnd* viewer : Viewers().windows) viewer->PostMessage(WM_CLOSE);
}

void CMainFrame::OnUpdateCloseAllWindows(CCmdUI& ui) { ui.Enable(!Viewers().windows.empty()); }

// Automatic stepping belongs to the list view whichever pane is active.
void CMainFrame::OnAutoAdvanceCommand(UINT id) {
  if (CMyListView* list = ListView()) list->OnCmdMsg(id, 0, nullptr);
}

void CMainFrame::OnUpdateAutoAdvanceCommand(CCmdUI& ui) {
  CMyListView* list = ListView();
  if (!list || !list->OnCmdMsg(ui.id, 0, &ui)) ui.Enable(false);
}

void CMainFrame::PostNcDestroy() {
  DestroyFindDialog();
  CFrameWnd::PostNcDestroy();
}
