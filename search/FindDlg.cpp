#include "search/FindDlg.h"

#include <commctrl.h>

#include "browser/AnnotationFile.h"
#include "browser/BrowserState.h"
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
        OnMessage(kWmSearchBegin, &CFindDlg::OnSearchBegin),
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

  SetMode(kExpanded);
  ::SendMessageA(animation_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  EnableWindow(findNow_, FALSE);
  EnableWindow(stop_, TRUE);
  // Sent, not posted: the worker's first messages may restore the buttons before a posted move.
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stop_), TRUE);
  search_ = job->shared;
  searchFolder_.swap(folder);
  if (!StartSearchWorker(std::move(job))) {
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

LRESULT CFindDlg::OnSearchBegin(WPARAM, LPARAM) {
  rows_.clear();
  ::SendMessageA(results_, LVM_SETITEMCOUNT, 0, 0);
  return 0;
}

LRESULT CFindDlg::OnSearchRows(WPARAM, LPARAM lParam) {
  const auto& rows = *reinterpret_cast<const std::vector<SearchRow>*>(lParam);
  const size_t first = rows_.size();
  for (const SearchRow& row : rows) {
    // A search told to stop while these rows were on their way shows them no more.
    if (!search_ || search_->running.load() != 1) break;
    AppendRow(row);
  }
  if (rows_.size() == first) return 0;
  ::SendMessageA(results_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  // Painted when the dialog's thread is idle: no paint per batch while rows keep coming.
  ::SendMessageA(results_, LVM_REDRAWITEMS, first, static_cast<LPARAM>(rows_.size() - 1));
  return 0;
}

void CFindDlg::AppendRow(const SearchRow& row) {
  ResultRow shown;
  shown.texts[0] = row.fileName;
  shown.texts[4] = row.annotation;
  shown.recordIndex = row.recordIndex;
  if (row.record) {
    shown.texts[1] = SizeColumnText(row.record->size);
    shown.texts[2] = "JPEG Image";
    shown.texts[3] = ModifiedColumnText(row.record->modified);
  }
  rows_.push_back(std::move(shown));
}

void CFindDlg::OnResultDisplayInfo(NMHDR* header, LRESULT* result) {
  *result = 0;
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  item.pszText[0] = '\0';
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.size() || item.iSubItem < 0 || item.iSubItem > 4)
    return;
  CopyTextCut(rows_[static_cast<size_t>(item.iItem)].texts[item.iSubItem], item.pszText,
              static_cast<size_t>(item.cchTextMax));
}

LRESULT CFindDlg::OnSearchEnded(WPARAM, LPARAM) {
  if (search_) search_->ended.store(true);
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
  const std::string& name = rows_[static_cast<size_t>(row)].texts[0];
  const auto& records = list_->Records();
  int index = rows_[static_cast<size_t>(row)].recordIndex;
  // The list may have been sorted or listed again since: the row's file decides.
  if (index >= static_cast<int>(records.size()) || records[static_cast<size_t>(index)].fileName != name) {
    index = -1;
    if (list_->CurrentFolder() == searchFolder_) {
      for (size_t i = 0; i < records.size(); ++i)
        if (records[i].fileName == name) index = static_cast<int>(i);
    }
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
