#include "app/MainFrame.h"

#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "browser/FileNames.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "browser/ThumbnailFiles.h"
#include "browser/ThumbnailWorker.h"
#include "framework/MessageBox.h"
#include "framework/PrintPreview.h"
#include "framework/YieldPoint.h"
#include "image/ImageSettings.h"
#include "navigation/DriveView.h"
#include "navigation/Favorites.h"
#include "navigation/MailSender.h"
#include "navigation/ProfileMruList.h"
#include "program/Settings.h"
#include "scan/ScanFiles.h"
#include "search/FindDlg.h"
#include "viewer/MyScrollView.h"
#include "viewer/MySlideShowView.h"
#include "viewer/ViewerList.h"
#include "viewer/Wallpaper.h"

namespace {
constexpr UINT kIndicators[] = {0, IDS_INDICATOR_THUMBNAILS, IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
constexpr int kThumbnailProgressPane = 1;
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
        OnCommand(ID_FILE_SEND_MAIL, &CMainFrame::SendSelectedFiles),
        OnUpdateCommand(ID_FILE_SEND_MAIL, &CMainFrame::OnUpdateSendMail),
        OnCommand(ID_TWAIN_SELECT_SOURCE, &CMainFrame::OnSelectSource),
        OnUpdateCommand(ID_TWAIN_SELECT_SOURCE, &CMainFrame::OnUpdateScanCommand),
        OnCommand(ID_TWAIN_ACQUIRE, &CMainFrame::OnAcquire),
        OnUpdateCommand(ID_TWAIN_ACQUIRE, &CMainFrame::OnUpdateScanCommand),
        OnMessage(WM_DESTROY, &CMainFrame::OnDestroy),
        OnMessage(kWmThumbnailProgress, &CMainFrame::OnThumbnailProgress),
        OnMessage(CTaskbarProgress::ButtonCreatedMessage(), &CMainFrame::OnTaskbarButtonCreated),
        OnCommandRange(ID_RECENT_FOLDER_FIRST, ID_RECENT_FOLDER_LAST, &CMainFrame::OnRecentFolder),
        OnUpdateCommandRange(ID_RECENT_FOLDER_FIRST, ID_RECENT_FOLDER_LAST, &CMainFrame::OnUpdateRecentFolder),
        OnCommandRange(ID_FAVORITE_FIRST, ID_FAVORITE_LAST, &CMainFrame::OnFavorite),
        OnUpdateCommandRange(ID_FAVORITE_FIRST, ID_FAVORITE_LAST, &CMainFrame::OnUpdateFavorite),
        OnCommand(ID_VIEW_WALLPAPER, &CMainFrame::OnSetAsWallpaper),
        OnUpdateCommand(ID_VIEW_WALLPAPER, &CMainFrame::OnUpdateSetAsWallpaper),
        OnCommand(ID_TOOLS_SLIDESHOW, &CMainFrame::OnSlideShow),
        OnUpdateCommand(ID_TOOLS_SLIDESHOW, &CMainFrame::OnUpdateSlideShow),
        OnWmTimer(&CMainFrame::OnTimer),
    },
};

int CMainFrame::OnCreate(CREATESTRUCTA* cs) {
  if (CFrameWnd::OnCreate(cs) == -1) return -1;
  if (!toolBar_.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP) || !toolBar_.LoadToolBar(IDR_MAINFRAME)) return -1;
  if (!statusBar_.Create(this) || !statusBar_.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
    return -1;
  thumbnailProgress_.Attach(m_hWnd, &statusBar_, kThumbnailProgressPane);
  Browser().thumbnailProgress.SetWatcher(m_hWnd);
  if (IsAvailable()) {
    SetParentWindow(m_hWnd);
    if (!OpenManager()) OnError(0);
    ReadTransferMode(TransferMechanism());
    SetTransferMechanism(1);
  }
  toolBar_.SetBarStyle(toolBar_.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
  toolBar_.EnableDocking(CBRS_ALIGN_ANY);
  EnableDocking(CBRS_ALIGN_ANY);
  if (PlatformWantsMenuManager()) {
    menuManager_.Install(this);
    menuManager_.AddToolbarImages(IDR_MAINFRAME);
  }
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

void CMainFrame::OnUpdateSort(CCmdUI& ui) { ui.SetRadio(ReadSortOrder() == static_cast<int>(ui.id - ID_SORT_NAME)); }

void CMainFrame::OnThumbnailSize(UINT id) {
  int code = ThumbnailCodeOfCommand(id);
  SetThumbnailBox(ThumbnailBoxForCode(code));
  if (CMyListView* list = ListView()) {
    list->PurgeThumbnails();
    list->PostMessage(kWmListFolder);
  }
  WriteThumbnailSizeCode(code);
}

void CMainFrame::OnUpdateThumbnailSize(CCmdUI& ui) {
  ui.SetRadio(ReadThumbnailSizeCode() == ThumbnailCodeOfCommand(ui.id));
  // The box belongs to the print job of an open preview.
  if (ActivePrintPreview()) ui.Enable(false);
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

void CMainFrame::SendSelectedFiles() {
  CMyListView* list = ListView();
  if (!list) return;
  // Copies: a relisting may replace the records while the mail program runs.
  SendMailAttachments(m_hWnd, SelectedAttachments(*list));
}

void CMainFrame::OnUpdateSendMail(CCmdUI& ui) {
  CMyListView* list = ListView();
  ui.Enable(list && list->SelectedCount() > 0);
}

namespace {

// How many items of the show's listing are still selected. A relisting (the thumbnail worker's,
// a refresh, a drive change) clears the selection and another folder has its own: neither says
// anything about the show, which then runs through its names.
int SelectedOfShow(const CMyListView& list, const SlideShowState& show) {
  bool sameListing =
      list.CurrentFolder() == show.folder && Browser().thumbnailClaims.ListingsOf(show.folder) == show.listing;
  return sameListing ? list.SelectedCount() : static_cast<int>(show.names.size());
}
}  // namespace

void CMainFrame::OnSlideShow() {
  CMyListView* list = ListView();
  if (!list) return;
  // One show at a time: the old one goes first, taking its timer with it.
  if (CSlideShowFrame* running = SlideShowWindow()) running->DestroyWindow();
  slides_.names.clear();
  const auto& records = list->Records();
  int index = -1;
  while ((index = static_cast<int>(list->SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >=
             0 &&
         static_cast<size_t>(index) < records.size())
    slides_.names.push_back(records[static_cast<size_t>(index)].fileName);
  // The show keeps its folder: a later listing of the view does not change its pictures.
  slides_.folder = list->CurrentFolder();
  slides_.listing = Browser().thumbnailClaims.ListingsOf(slides_.folder);
  slides_.index = 0;
  slideTimeline_.clear();
  if (slides_.names.empty()) return;
  CSlideShowFrame* show = OpenSlideShow(PathJoin(slides_.folder, slides_.names.front()), this, this);
  if (!show) return;
  slideShowWindow_ = show->m_hWnd;
  slideTimer_ = 1;
  // The first tick is set once the first picture is whole.
  if (CMySlideShowView* view = show->View()) view->Reveal();
}

void CMainFrame::OnUpdateSlideShow(CCmdUI& ui) {
  CMyListView* list = ListView();
  ui.Enable(list && list->SelectedCount() > 0);
}

void CMainFrame::OnSelectSource() { SelectSource(); }

void CMainFrame::OnAcquire() { Acquire(); }

// Without a source manager the commands still run, and end silently.
void CMainFrame::OnUpdateScanCommand(CCmdUI& ui) { ui.Enable(true); }

LRESULT CMainFrame::OnDestroy(WPARAM, LPARAM) {
  Browser().thumbnailProgress.SetWatcher(nullptr);
  CloseManager(m_hWnd);
  UnloadManager();
  return Default();
}

bool CMainFrame::OnSetupFileXfer(TW_UINT16& format, TW_SETUPFILEXFER& setup) {
  DeleteScanTransfer(std::exchange(scanTransfer_, std::string()));
  CMyListView* list = ListView();
  // No folder to write into, one whose path does not fit the record, or one that refuses the
  // file: nothing is written.
  std::string path = list ? ReserveScanTransfer(list->CurrentFolder()) : "";
  if (path.empty()) return false;
  scanTransfer_ = path;
  format = TWFF_BMP;
  std::memset(setup.FileName, 0, sizeof setup.FileName);
  std::memcpy(setup.FileName, path.data(), path.size());
  return true;
}

void CMainFrame::OnFileXferDone(const TW_SETUPFILEXFER* setup) {
  // The transfer file is the program's own: it goes once the scan is saved or has failed.
  const std::string transferPath = std::exchange(scanTransfer_, std::string());
  CMyListView* list = ListView();
  if (!setup || !list || transferPath.empty()) {
    DeleteScanTransfer(transferPath);
    return;
  }
  HideScanTransfer(transferPath);
  std::string folder = transferPath.substr(0, transferPath.find_last_of('\\'));
  if (folder.size() == 2) folder += '\\';  // a drive root keeps its separator
  ScanSaveResult saved = SaveScan(transferPath, folder);
  DeleteScanTransfer(transferPath);
  if (saved.outcome == ScanSaveResult::kUnreadable || saved.outcome == ScanSaveResult::kNoFreeName) {
    AfxMessageBox(saved.message.c_str());
    return;
  }
  if (saved.outcome == ScanSaveResult::kWriteError) {
    WeakWnd<CMyListView> listAfterBox(list);
    AfxMessageBox(saved.message.c_str());
    list = listAfterBox.Get();
    if (!list) return;
  }
  // The user may have gone to another folder while the transfer pumped messages: leave it alone.
  if (!SameFolder(list->CurrentFolder(), folder)) return;
  // The new file's thumbnail made first leaves the listing's worker nothing to make, so its own
  // listing afterwards does not undo the selection made below.
  if (!saved.path.empty())
    EnsureThumbnail(saved.path, ThumbnailPathFor(saved.path, Browser().appFolder), Browser().thumbnailClaims);
  // Listed by its path: a relisting alone would wait for the end of the scanner's call.
  const std::string listed = list->CurrentFolder();
  list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(listed.c_str()));
  OnSort(ID_SORT_DATE);
  if (saved.path.empty()) return;
  std::string name = saved.path.substr(saved.path.find_last_of('\\') + 1);
  const std::vector<FileRecord>& records = list->Records();
  for (size_t i = 0; i < records.size(); ++i) {
    if (CompareNoCase(records[i].fileName, name) != 0) continue;
    list->SetCurrentItem(-1);  // so that every item loses its selection first
    list->StepTo(static_cast<int>(i));
    return;
  }
}

namespace {
// The entries of a list in the menu that is opening (its first command builds them), else whether
// the command stands for an entry.
void UpdateListCommand(CProfileMruList list, CCmdUI& ui) {
  list.ReadList();
  auto* item = dynamic_cast<CMenuCmdUI*>(&ui);
  if (item && ui.id == list.FirstCommandId())
    list.UpdateMenu(*item);
  else
    ui.Enable(list.HasCommand(ui.id));
}
}  // namespace

void CMainFrame::OnRecentFolder(UINT id) {
  CProfileMruList recent = RecentFolderList();
  recent.ReadList();
  std::string folder = recent.EntryOfCommand(id);
  if (!folder.empty()) ShowFolder(folder);
}

void CMainFrame::OnUpdateRecentFolder(CCmdUI& ui) { UpdateListCommand(RecentFolderList(), ui); }

void CMainFrame::OnFavorite(UINT id) {
  CProfileMruList favorites = FavoriteList();
  favorites.ReadList();
  FavoriteTarget target;
  if (!ResolveFavorite(favorites.EntryOfCommand(id), target)) return;
  if (target.folder)
    ShowFolder(target.path);
  else
    OpenViewer(target.path);
}

void CMainFrame::OnUpdateFavorite(CCmdUI& ui) { UpdateListCommand(FavoriteList(), ui); }

void CMainFrame::OnSetAsWallpaper() {
  CMyListView* list = ListView();
  int focused = list ? list->FocusedItem() : -1;
  if (focused >= 0) SetAsWallpaper(list->ItemPath(focused));
}

void CMainFrame::OnUpdateSetAsWallpaper(CCmdUI& ui) {
  CMyListView* list = ListView();
  ui.Enable(list && list->FocusedItem() >= 0);
}

LRESULT CMainFrame::OnThumbnailProgress(WPARAM, LPARAM) {
  CMyListView* list = ListView();
  thumbnailProgress_.Update(list ? list->CurrentFolder() : std::string());
  return 0;
}

LRESULT CMainFrame::OnTaskbarButtonCreated(WPARAM, LPARAM) {
  thumbnailProgress_.TaskbarButtonCreated();
  return OnThumbnailProgress(0, 0);
}

void CMainFrame::OnTimer(UINT_PTR id) {
  if (id == ThumbnailProgressPane::kTimer) {
    OnThumbnailProgress(0, 0);
    return;
  }
  if (slideTimer_ == 0 || id != static_cast<UINT_PTR>(slideTimer_)) return;
  CSlideShowFrame* show = SlideShowWindow();
  if (!show) {
    // The show's window went without telling: nothing left to advance.
    KillTimer(m_hWnd, id);
    return;
  }
  // A paused show keeps its timer and looks again at the next tick.
  if (show->Paused()) return;
  // The next tick is set when the next picture is whole.
  KillTimer(m_hWnd, id);
  EndSlideTiming();
  CMyListView* list = ListView();
  if (slides_.Advance(list ? SelectedOfShow(*list, slides_) : 0))
    show->Show(PathJoin(slides_.folder, slides_.names[static_cast<size_t>(slides_.index)]));
  else
    show->PostMessage(WM_CLOSE);
}

void CMainFrame::SlideShowEnding(const CSlideShowFrame& show) {
  // Only the running show stops the timer; an older window's end leaves a newer show running.
  if (show.m_hWnd != slideShowWindow_) return;
  if (slideTimer_) KillTimer(m_hWnd, static_cast<UINT_PTR>(slideTimer_));
  EndSlideTiming();
  slideShowWindow_ = nullptr;
}

void CMainFrame::SlideWhole(const CSlideShowFrame& show) {
  if (show.m_hWnd != slideShowWindow_ || !slideTimer_) return;
  try {
    slideTimeline_.push_back({show.View() ? show.View()->Path() : std::string(), GetTickCount(), 0});
  } catch (const std::bad_alloc&) {
  }
  SetTimer(m_hWnd, static_cast<UINT_PTR>(slideTimer_), slideInterval_, nullptr);
}

void CMainFrame::EndSlideTiming() {
  if (!slideTimeline_.empty() && slideTimeline_.back().replacedAt == 0)
    slideTimeline_.back().replacedAt = GetTickCount();
}

void CMainFrame::PostNcDestroy() {
  DestroyFindDialog();
  CFrameWnd::PostNcDestroy();
}
