#include "search/FindDlg.h"

#include <commctrl.h>

#include "browser/AnnotationFile.h"
#include "browser/BrowserState.h"
#include "browser/FileNames.h"
#include "browser/MyListView.h"
#include "framework/PathText.h"
#include "search/FindResource.h"

namespace {

CFindDlg* g_findDialog = nullptr;

constexpr ListColumn kResultColumns[] = {
    {"FileName", 100}, {"Size", 80}, {"Type", 80}, {"Modified", 135}, {"Annotation", 400},
};

RECT WindowRectOf(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

// The left edge of `control` in its parent's client coordinates.
int ClientLeftOf(HWND parent, HWND control) {
  RECT rc = WindowRectOf(control);
  POINT corner{rc.left, rc.top};
  ScreenToClient(parent, &corner);
  return corner.x;
}

void MoveLeftTo(HWND parent, HWND control, int left) {
  RECT rc = WindowRectOf(control);
  POINT corner{rc.left, rc.top};
  ScreenToClient(parent, &corner);
  SetWindowPos(control, nullptr, left, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

const CRuntimeClass CFindDlg::kClass{"CFindDlg", &CDialog::kClass};
const MessageMap CFindDlg::kMessageMap{
    &CDialog::kMessageMap,
    {
        OnCommand(IDC_FIND_NOW, &CFindDlg::OnFindNow),
        OnCommand(IDC_FIND_STOP, &CFindDlg::OnStop),
        OnMessage(WM_GETMINMAXINFO, &CFindDlg::OnGetMinMaxInfo),
        OnWmSize(&CFindDlg::OnSize),
        OnNotify(NM_DBLCLK, IDC_FIND_RESULTS, &CFindDlg::OnResultDoubleClick),
        OnNotify(LVN_GETDISPINFOA, IDC_FIND_RESULTS, &CFindDlg::OnResultDisplayInfo),
        OnMessage(kWmSearchRows, &CFindDlg::OnSearchRows),
        OnMessage(kWmSearchEnded, &CFindDlg::OnSearchEnded),
        OnMessage(WM_DESTROY, &CFindDlg::OnDestroy),
    },
};

CFindDlg::CFindDlg(CMyListView* list) : CDialog(IDD_FIND, list), list_(list) {}

CFindDlg::~CFindDlg() {
  if (search_) search_->running.store(0);
}

void CFindDlg::DoDataExchange(CDataExchange& dx) {
  DDX_Text(dx, IDC_FIND_NAME, m_strFileName);
  DDX_Text(dx, IDC_FIND_ANNOTATION, m_strAnnotation);
}

bool CFindDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  results_ = Item(IDC_FIND_RESULTS);
  stop_ = Item(IDC_FIND_STOP);
  findNow_ = Item(IDC_FIND_NOW);
  animation_ = Item(IDC_FIND_ANIMATION);
  const LPARAM extra = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
  const LPARAM styles = ::SendMessageA(results_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  ::SendMessageA(results_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | extra);
  InsertColumns();
  MeasureLayout();
  ::SendMessageA(animation_, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)),
                 reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_FIND_CLIP)));
  SetMode(kCollapsed);
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FIND_SMALL), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return true;
}

void CFindDlg::InsertColumns() { InsertListColumns(results_, kResultColumns, 5); }

void CFindDlg::MeasureLayout() {
  const RECT window = WindowRectOf(m_hWnd);
  const RECT list = WindowRectOf(results_);
  initialWidth_ = window.right - window.left;
  initialHeight_ = window.bottom - window.top;
  collapsedHeight_ = list.top - window.top;
  listWidth_ = list.right - list.left;
  listHeight_ = list.bottom - list.top;
  closeLeft_ = ClientLeftOf(m_hWnd, Item(IDCANCEL));
  animationLeft_ = ClientLeftOf(m_hWnd, animation_);
}

void CFindDlg::SetMode(int mode) {
  if (mode == mode_) return;
  mode_ = mode;
  // The minimum track size of the mode makes the window its size.
  SetWindowPos(m_hWnd, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CFindDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
  if (initialWidth_ <= 0) return 0;
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize.x = initialWidth_;
  info->ptMinTrackSize.y = mode_ == kExpanded ? initialHeight_ : collapsedHeight_;
  info->ptMaxTrackSize.y = mode_ == kExpanded ? 0x7FFFFFFF : collapsedHeight_;
  return 0;
}

void CFindDlg::OnSize(UINT, int, int) {
  if (initialWidth_ <= 0) return;
  const RECT window = WindowRectOf(m_hWnd);
  const int dx = (window.right - window.left) - initialWidth_;
  const int dy = (window.bottom - window.top) - initialHeight_;
  for (int id : {IDCANCEL, IDC_FIND_NOW, IDC_FIND_STOP}) MoveLeftTo(m_hWnd, Item(id), closeLeft_ + dx);
  MoveLeftTo(m_hWnd, animation_, animationLeft_ + dx);
  SetWindowPos(results_, nullptr, 0, 0, listWidth_ + dx, listHeight_ + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFindDlg::ReadAnnotations() {
  if (!list_ || list_->CurrentFolder().empty()) return;
  ReadAnnotationFile(AnnotationPathOf(list_->CurrentFolder()), annotations_);
}

void CFindDlg::OnFindNow() {
  // One search at a time: a second one would share the result list with the first.
  if (Searching() || !list_) return;
  if (!UpdateData(true)) return;
  // The worker's copies are made first: short of memory, nothing has changed yet.
  auto job = std::make_unique<SearchJob>();
  job->input.nameText = m_strFileName;
  job->input.annotationText = m_strAnnotation;
  job->input.annotations = annotations_;
  job->input.records.reserve(list_->Records().size());
  for (const FileRecord& record : list_->Records())
    job->input.records.push_back(SearchRecord{record.fileName, record.size, record.modified});
  job->dialog = m_hWnd;
  job->shared = std::make_shared<SearchShared>();
  std::string folder = list_->CurrentFolder();

  rows_.clear();
  ::SendMessageA(results_, LVM_SETITEMCOUNT, 0, 0);
  search_ = job->shared;
  searchFolder_.swap(folder);
  // Started before the buttons change, so that it searches while they are drawn: what it posts
  // waits until this returns.
  const bool started = StartSearchWorker(std::move(job));
  SetMode(kExpanded);
  ::SendMessageA(animation_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  EnableWindow(findNow_, FALSE);
  EnableWindow(stop_, TRUE);
  // Sent, not posted: a posted move would come after the worker's end, which restores the buttons.
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stop_), TRUE);
  if (!started) {
    search_->ended.store(true);
    RestoreButtons();
  }
}

void CFindDlg::OnStop() {
  if (search_) search_->running.store(0);
}

void CFindDlg::OnCancel() {
  SetMode(kCollapsed);
  ShowWindow(SW_HIDE);
  if (search_) search_->running.store(0);
}

void CFindDlg::OnDestroy() {
  if (search_) search_->running.store(0);
}

LRESULT CFindDlg::OnSearchRows(WPARAM, LPARAM) {
  TakeRows();
  return 0;
}

void CFindDlg::TakeRows() {
  if (!search_) return;
  std::vector<FoundRow> taken = TakeHandedRows(*search_);
  // A search told to stop while these rows were on their way shows them no more.
  if (taken.empty() || search_->running.load() != 1) return;
  if (rows_.empty())
    rows_.swap(taken);
  else
    rows_.insert(rows_.end(), std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end()));
  // The list repaints the new rows that are in view, and only those.
  ::SendMessageA(results_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  ::UpdateWindow(results_);
}

void CFindDlg::OnResultDisplayInfo(NMHDR* header, LRESULT* result) {
  *result = 0;
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  item.pszText[0] = '\0';
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.size()) return;
  const FoundRow& row = rows_[static_cast<size_t>(item.iItem)];
  const bool listed = row.recordIndex >= 0;
  std::string text;
  switch (item.iSubItem) {
    case 0: text = row.fileName; break;
    case 1:
      if (listed) text = SizeColumnText(row.size);
      break;
    case 2:
      if (listed) text = "JPEG Image";
      break;
    case 3:
      if (listed) text = ModifiedColumnText(row.modified);
      break;
    case 4: text = row.annotation; break;
    default: break;
  }
  CopyTextCut(text, item.pszText, static_cast<size_t>(item.cchTextMax));
}

LRESULT CFindDlg::OnSearchEnded(WPARAM, LPARAM) {
  if (!search_) return 0;
  TakeRows();
  search_->ended.store(true);
  RestoreButtons();
  return 0;
}

void CFindDlg::RestoreButtons() {
  ::SendMessageA(animation_, ACM_STOP, 0, 0);
  ::SendMessageA(animation_, ACM_PLAY, 0, MAKELPARAM(0, 0));
  // A disabled button keeps no focus: hand it to Find Now.
  const bool stopHadFocus = GetFocus() == stop_;
  EnableWindow(stop_, FALSE);
  EnableWindow(findNow_, TRUE);
  if (stopHadFocus) SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(findNow_), TRUE);
}

void CFindDlg::OnResultDoubleClick(NMHDR*, LRESULT* result) {
  *result = 0;
  const int row = static_cast<int>(::SendMessageA(results_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (row < 0 || !list_) return;
  if (static_cast<size_t>(row) >= rows_.size() || rows_[static_cast<size_t>(row)].recordIndex < 0) return;
  // A file of another folder than the one listed has no item here, whatever its name.
  if (!SameFolder(list_->CurrentFolder(), searchFolder_)) return;
  const std::string& name = rows_[static_cast<size_t>(row)].fileName;
  const auto& records = list_->Records();
  int index = rows_[static_cast<size_t>(row)].recordIndex;
  // The list may have been sorted or listed again since: the row's file decides.
  if (index >= static_cast<int>(records.size()) || records[static_cast<size_t>(index)].fileName != name) {
    index = -1;
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].fileName == name) index = static_cast<int>(i);
  }
  if (index < 0) return;
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
  list_->SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  list_->SetCurrentItem(index);
  list_->ShowInPreview();
  SetFocus(list_->m_hWnd);
}

void ShowFindDialog(CMyListView& list) {
  if (g_findDialog && g_findDialog->m_hWnd) {
    g_findDialog->ShowWindow(SW_SHOW);
    SetActiveWindow(g_findDialog->m_hWnd);
  } else {
    delete g_findDialog;
    g_findDialog = new CFindDlg(&list);
    if (!g_findDialog->Create(&list)) {
      delete g_findDialog;
      g_findDialog = nullptr;
      return;
    }
    g_findDialog->ShowWindow(SW_SHOW);
  }
  g_findDialog->ReadAnnotations();
}

CFindDlg* FindDialog() { return g_findDialog; }

void DestroyFindDialog() {
  CFindDlg* dialog = g_findDialog;
  g_findDialog = nullptr;
  if (!dialog) return;
  if (dialog->m_hWnd) dialog->DestroyWindow();
  delete dialog;
}

void InstallFindDialog() {
  Browser().showFind = [](CMyListView& list) { ShowFindDialog(list); };
  Browser().forgetFindAnnotations = [] {
    if (g_findDialog) g_findDialog->ForgetAnnotations();
  };
}
