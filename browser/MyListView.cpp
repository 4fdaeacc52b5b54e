#include "browser/MyListView.h"

#include <algorithm>

#include "browser/AnnotationDlg.h"
#include "browser/AnnotationFile.h"
#include "browser/BrowserState.h"
#include "browser/FileNames.h"
#include "browser/ListMessages.h"
#include "browser/ThumbnailFiles.h"
#include "browser/ThumbnailWorker.h"
#include "framework/File.h"
#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "framework/PrintPreview.h"
#include "framework/Splitter.h"
#include "framework/WinApp.h"
#include "image/Dib.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"
#include "navigation/Favorites.h"
#include "program/CommandIds.h"
#include "program/Settings.h"
#include "viewer/MyScrollView.h"

namespace {

constexpr int kWaitingImage = 0;  // image list index of the picture of an item still waiting
constexpr UINT kListContextMenu = IDR_CONTEXT_LIST;
constexpr UINT kSmallPictureBitmap = IDB_SMALL_PICTURE;
constexpr DWORD kSkippedByReadiness =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY;

void CopyCut(const std::string& text, char* buffer, int length) {
  if (length > 0) CopyTextCut(text, buffer, static_cast<size_t>(length));
}

// The annotation every one of `names` has, or "" when they differ or some have none.
std::string CommonAnnotation(const AnnotationMap& annotations, const std::vector<std::string>& names) {
  std::string common;
  for (size_t i = 0; i < names.size(); ++i) {
    auto found = annotations.find(names[i]);
    if (found == annotations.end()) return "";
    if (i == 0) common = found->second;
    if (found->second != common) return "";
  }
  return common;
}

// Appends the text for every name; a store that was not changed is told.
bool SaveAnnotations(const std::string& store, const std::vector<std::string>& names, const std::string& text) {
  AnnotationWrite result = AnnotationWrite::kAppended;
  {
    // A store held by another program is waited for a moment.
    CWaitCursor wait;
    result = AppendAnnotations(store, names, text);
  }
  if (result == AnnotationWrite::kAppended) return true;
  std::string message = "The annotation was not saved.\n\n\"" + store + "\" ";
  switch (result) {
    case AnnotationWrite::kDamaged:
      message +=
          "does not read as a list of annotations: it is damaged or belongs to another program. It has "
          "been left as it is.";
      break;
    case AnnotationWrite::kInUse:
      message += "is in use by another program. Close that program and press OK again.";
      break;
    default:
      message += "cannot be written. The folder or disk may be read-only or full, or \"Annotations\" is not a file.";
      break;
  }
  AfxMessageBox(message.c_str(), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

}  // namespace

std::string SizeColumnText(uint32_t bytes) {
  char text[32];
  wsprintfA(text, "%d KB", static_cast<int>((static_cast<uint64_t>(bytes) + 1023) / 1024));
  return text;
}

std::string ModifiedColumnText(int32_t unixSeconds) {
  // Seconds since 1970 to a FILETIME, then to local time.
  uint64_t ticks = static_cast<uint64_t>(static_cast<int64_t>(unixSeconds) * 10000000LL + 116444736000000000LL);
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FILETIME local;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return "";
  char date[50] = "";
  char clock[50] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
  return std::string(date) + " " + clock;
}

bool FolderHasReadableJpeg(const std::string& folder) {
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(folder, "*.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool readable = false;
  do {
    // One readable entry decides; the rest of the search must still end normally.
    if (readable || (found.dwFileAttributes & kSkippedByReadiness)) continue;
    // Shared for writing and deletion: a file another program is still writing counts.
    HANDLE file =
        CreateFileA(PathJoin(folder, found.cFileName).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char head[2];
    DWORD got = 0;
    ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    readable = true;
  } while (FindNextFileText(search, &found));
  bool ended = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return readable && ended;
}

PicturePlacement ThumbnailPlacement(int boxWidth, int boxHeight, uint32_t pictureWidth, uint32_t pictureHeight) {
  PicturePlacement place{0, 0, boxWidth, boxHeight};
  if (pictureWidth == 0 || pictureHeight == 0) return place;
  double r = static_cast<double>(boxWidth) / pictureWidth;
  double u = static_cast<double>(boxHeight) / pictureHeight;
  if (u < r) {
    place.width = static_cast<int>(boxWidth * u / static_cast<float>(r));
  } else if (u > r) {
    place.height = static_cast<int>(boxHeight * r / u);
  }
  place.y = (boxHeight - place.height) / 2;
  return place;
}

const CRuntimeClass CMyListView::kClass{"CMyListView", &CListView::kClass, &CreateObjectOf<CMyListView>};
const MessageMap CMyListView::kMessageMap{
    &CListView::kMessageMap,
    {
        OnMessage(kWmListFolder, &CMyListView::OnListFolder),
        OnReflectedNotify(LVN_GETDISPINFOA, &CMyListView::OnGetDispInfo),
        OnReflectedNotify(NM_CLICK, &CMyListView::OnClick),
        OnReflectedNotify(NM_DBLCLK, &CMyListView::OnDoubleClick),
        OnWmKeyDown(&CMyListView::OnKeyDown),
        OnMessage(WM_CHAR, &CMyListView::OnMouseOrChar),
        OnMessage(WM_LBUTTONDOWN, &CMyListView::OnMouseOrChar),
        OnMessage(WM_LBUTTONUP, &CMyListView::OnMouseOrChar),
        OnMessage(WM_RBUTTONDOWN, &CMyListView::OnMouseOrChar),
        OnMessage(WM_CONTEXTMENU, &CMyListView::OnContextMenu),
        OnWmTimer(&CMyListView::OnTimer),
        OnMessage(WM_DESTROY, &CMyListView::OnDestroy),
        OnCommand(ID_FILE_OPEN, &CMyListView::OnOpen),
        OnUpdateCommand(ID_FILE_OPEN, &CMyListView::OnUpdateOpen),
        OnCommand(ID_EDIT_SELECT_ALL, &CMyListView::OnSelectAll),
        OnCommand(ID_VIEW_AUTO_ADVANCE, &CMyListView::OnAutoAdvance),
        OnUpdateCommand(ID_VIEW_AUTO_ADVANCE, &CMyListView::OnUpdateAutoAdvance),
        OnCommand(ID_AUTO_ADVANCE_START, &CMyListView::OnAutoAdvance),
        OnUpdateCommand(ID_AUTO_ADVANCE_START, &CMyListView::OnUpdateStartAutoAdvance),
        OnCommand(ID_AUTO_ADVANCE_STOP, &CMyListView::OnStopAutoAdvance),
        OnUpdateCommand(ID_AUTO_ADVANCE_STOP, &CMyListView::OnUpdateStopAutoAdvance),
        OnCommand(ID_FAVORITES_ADD, &CMyListView::OnAddToFavorites),
        OnCommand(ID_FILE_PRINT, &CView::OnFilePrint),
        OnUpdateCommand(ID_FILE_PRINT, &CMyListView::OnUpdatePrint),
        OnCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
        OnUpdateCommand(ID_FILE_PRINT_PREVIEW, &CMyListView::OnUpdatePrint),
        OnCommand(ID_VIEW_ANNOTATE, &CMyListView::OnAnnotate),
        OnCommand(ID_VIEW_FIND, &CMyListView::OnFind),
    },
};

bool CMyListView::DefersWhileYielding(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (message == kWmListFolder) return lParam == 0;
  return CListView::DefersWhileYielding(message, wParam, lParam);
}

DWORD CMyListView::ControlStyle() const { return LVS_ICON | LVS_OWNERDATA | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS; }

void CMyListView::CreateThumbnailList() {
  if (thumbnails_) ImageList_Destroy(thumbnails_);
  const int width = g_thumbnailWidth;
  const int height = g_thumbnailHeight;
  thumbnails_ = ImageList_Create(width, height, ILC_COLOR24, 0, 1);
  SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(thumbnails_));
  // The control keeps the spacing of its first image list: space the items for this box.
  int spaceX = GetSystemMetrics(SM_CXICONSPACING) - GetSystemMetrics(SM_CXICON) + width;
  int spaceY = GetSystemMetrics(SM_CYICONSPACING) - GetSystemMetrics(SM_CYICON) + height;
  SendMessage(LVM_SETICONSPACING, 0, MAKELPARAM(spaceX, spaceY));
  PrepareImageSlots(static_cast<int>(scanner_.Count()));
}

void CMyListView::OnInitialUpdate() {
  if (thumbnails_) return;
  CreateThumbnailList();
  smallImages_ = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSmallPictureBitmap), 16, 1,
                                      RGB(255, 255, 255), IMAGE_BITMAP, 0);
  SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_));
  constexpr ListColumn kColumns[] = {{"Name", 135}, {"Size", 90}, {"Type", 90}, {"Modified", 135}};
  InsertListColumns(m_hWnd, kColumns, 4);
  currentItem_ = -1;
}

void CMyListView::OnDestroy() {
  StopAutoAdvance();
  // The control does not own image lists that were set from outside.
  SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
  SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (thumbnails_) ImageList_Destroy(thumbnails_);
  if (smallImages_) ImageList_Destroy(smallImages_);
  thumbnails_ = smallImages_ = nullptr;
  CView::OnDestroy();
}

void CMyListView::ClearListing() {
  SendMessage(LVM_SETITEMCOUNT, 0, LVSICF_NOINVALIDATEALL);
  scanner_.Clear();
  loaded_.clear();
  slots_.Reset(0, 0);
  annotations_.clear();
  if (Browser().forgetFindAnnotations) Browser().forgetFindAnnotations();
  currentItem_ = -1;
}

LRESULT CMyListView::OnListFolder(WPARAM, LPARAM lParam) {
  const std::string folder = lParam ? std::string(reinterpret_cast<const char*>(lParam)) : currentFolder_;
  // Listing the listed folder again (the worker's request, Refresh, a change, a scan) keeps what the
  // user did in it; another folder starts fresh.
  const bool again = !currentFolder_.empty() && SameFolder(folder, currentFolder_);
  const KeptState kept = again ? KeepState() : KeptState{};
  currentFolder_ = folder;
  ClearListing();
  // No folder chosen yet: nothing is listed, and nothing is read or written anywhere.
  if (currentFolder_.empty()) return 0;
  Browser().thumbnailClaims.BeginListing(currentFolder_);
  PrepareThumbnailFolder(currentFolder_, Browser().appFolder);
  {
    CWaitCursor wait;
    if (!FolderHasReadableJpeg(currentFolder_)) return 0;
    scanner_.Scan(currentFolder_, kListPrefix, 0);
    scanner_.Sort(ReadSortOrder());
  }
  StartThumbnailWorker(currentFolder_, m_hWnd, Browser().thumbnailClaims, Browser().appFolder);
  int count = static_cast<int>(scanner_.Count());
  loaded_.assign(static_cast<size_t>(count), 0);
  PrepareImageSlots(count);
  SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL);
  if (again) RestoreState(kept);
  return 0;
}

namespace {
void SetItemState(HWND list, int index, UINT state, UINT mask) {
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

RECT ItemBounds(HWND list, int index) {
  RECT bounds{LVIR_BOUNDS, 0, 0, 0};
  if (!SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds)))
    return RECT{};
  return bounds;
}

// The first item whose bounds end below `y` (client coordinates); items are laid out in index
// order, row by row, in every mode, so their edges grow with the index.
int FirstItemEndingBelow(HWND list, int count, int y) {
  int low = 0, high = count;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (ItemBounds(list, middle).bottom > y)
      high = middle;
    else
      low = middle + 1;
  }
  return low < count ? low : -1;
}
}  // namespace

int CMyListView::FirstVisibleItem() const { return FirstItemEndingBelow(m_hWnd, ItemCount(), 0); }

CMyListView::KeptState CMyListView::KeepState() const {
  KeptState kept;
  const auto& records = scanner_.Records();
  const int count = std::min(ItemCount(), static_cast<int>(records.size()));
  auto nameOf = [&](int index) { return index >= 0 && index < count ? records[size_t(index)].fileName : ""; };
  int index = -1;
  while ((index = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0 &&
         index < count)
    kept.selected.insert(records[static_cast<size_t>(index)].fileName);
  kept.focused = nameOf(FocusedItem());
  kept.current = nameOf(currentItem_);
  kept.mark = nameOf(static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)));
  const int first = FirstVisibleItem();
  if (first < 0 || first >= count) return kept;
  kept.firstTop = ItemBounds(m_hWnd, first).top;
  const int height = GetClientRect().bottom;
  for (int i = first; i < count && ItemBounds(m_hWnd, i).top < height; ++i) kept.onScreen.push_back(nameOf(i));
  return kept;
}

void CMyListView::RestoreState(const KeptState& kept) {
  const auto& records = scanner_.Records();
  std::map<std::string, int> indexOf;
  for (size_t i = 0; i < records.size(); ++i) indexOf.emplace(records[i].fileName, static_cast<int>(i));
  auto find = [&](const std::string& name) {
    const auto found = indexOf.find(name);
    return found == indexOf.end() ? -1 : found->second;
  };
  // The control lays icons out when it paints: now, so that their places are known.
  if ((GetWindowLongA(m_hWnd, GWL_STYLE) & LVS_TYPEMASK) == LVS_ICON) SendMessage(LVM_ARRANGE, LVA_DEFAULT);
  // The item that showed first, or the first one after it on screen that is still there, comes
  // back to the same place; the rest of the view scrolls with it.
  for (const std::string& name : kept.onScreen) {
    const int index = find(name);
    if (index < 0) continue;
    const int dy = ItemBounds(m_hWnd, index).top - kept.firstTop;
    if (dy != 0) SendMessage(LVM_SCROLL, 0, dy);
    break;
  }
  for (const std::string& name : kept.selected)
    if (const int index = find(name); index >= 0) SetItemState(m_hWnd, index, LVIS_SELECTED, LVIS_SELECTED);
  if (const int focused = find(kept.focused); focused >= 0) SetItemState(m_hWnd, focused, LVIS_FOCUSED, LVIS_FOCUSED);
  if (const int mark = find(kept.mark); mark >= 0) SendMessage(LVM_SETSELECTIONMARK, 0, mark);
  currentItem_ = find(kept.current);
}

void CMyListView::OnGetDispInfo(NMHDR* header, LRESULT* result) {
  *result = 0;
  auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
  LVITEMA& item = info->item;
  const auto& records = scanner_.Records();
  if (item.iItem < 0 || item.iItem >= static_cast<int>(records.size())) return;
  const FileRecord& record = records[static_cast<size_t>(item.iItem)];
  if (item.mask & LVIF_TEXT) {
    switch (item.iSubItem) {
      case 0: CopyCut(record.fileName, item.pszText, item.cchTextMax); break;
      case 1: CopyCut(SizeColumnText(record.size), item.pszText, item.cchTextMax); break;
      case 2: CopyCut("JPEG Image", item.pszText, item.cchTextMax); break;
      case 3: CopyCut(ModifiedColumnText(record.modified), item.pszText, item.cchTextMax); break;
      default: break;
    }
  }
  if (item.mask & LVIF_IMAGE) item.iImage = PictureOf(item.iItem);
}

namespace {

// Puts the canvas's bitmap into image `index` of the image list; false when the list refused it.
bool ReplaceImage(DibCanvas& canvas, HIMAGELIST list, int index) {
  return canvas.WithBitmapDeselected(
      [&](HBITMAP bitmap) { return ImageList_Replace(list, index, bitmap, nullptr) != FALSE; });
}

}  // namespace

void CMyListView::PrepareImageSlots(int count) {
  std::fill(loaded_.begin(), loaded_.end(), 0);
  if (!thumbnails_) {
    slots_.Reset(count, 0);
    return;
  }
  const int width = g_thumbnailWidth;
  const int height = g_thumbnailHeight;
  int slotCount = ThumbnailSlots::SlotCountFor(count, uint64_t(width) * height * 3);
  // A listing of the same folder keeps the list it has: resizing copies every picture. Every item
  // waits for its picture when not even the smallest list can be had.
  if (ImageList_GetImageCount(thumbnails_) != slotCount + 1) {
    while (!ImageList_SetImageCount(thumbnails_, static_cast<UINT>(slotCount + 1)) && slotCount > 0) slotCount /= 2;
  }
  slots_.Reset(count, slotCount);
  // A pale empty frame: the picture comes as soon as its thumbnail file is made.
  DibCanvas canvas(width, height);
  if (!canvas.Valid()) return;
  RECT box{0, 0, canvas.Width(), canvas.Height()};
  HBRUSH fill = CreateSolidBrush(RGB(240, 240, 240));
  HBRUSH edge = CreateSolidBrush(RGB(200, 200, 200));
  FillRect(canvas.Dc(), &box, fill);
  InflateRect(&box, -2, -2);
  FrameRect(canvas.Dc(), &box, edge);
  DeleteObject(fill);
  DeleteObject(edge);
  ReplaceImage(canvas, thumbnails_, kWaitingImage);
}

int CMyListView::PictureOf(int index) {
  if ((GetWindowLongA(m_hWnd, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT) return 0;
  const size_t item = static_cast<size_t>(index);
  if (item >= loaded_.size()) return kWaitingImage;
  if (loaded_[item]) {
    slots_.Touch(index);
    return 1 + slots_.SlotOf(index);
  }
  const std::string imagePath = ItemPath(index);
  const std::string thumbPath = ThumbnailPathFor(imagePath, Browser().appFolder);
  if (!EnsureThumbnail(imagePath, thumbPath, Browser().thumbnailClaims)) return kWaitingImage;
  if (!LoadPicture(index, thumbPath)) return kWaitingImage;
  loaded_[item] = 1;
  return 1 + slots_.SlotOf(index);
}

bool CMyListView::LoadPicture(int index, const std::string& thumbPath) {
  CFile file;
  if (!file.Open(thumbPath.c_str(), CFile::modeRead | CFile::shareDenyWrite)) return false;
  CDib picture;
  picture.Read(file);
  picture.PrepareForDisplay();
  // Inside the control's notification: the box is shown from the main window's loop.
  if (!picture.warning.empty()) AfxPostMessageBox(picture.warning, kJpegErrorCaption);

  DibCanvas canvas(g_thumbnailWidth, g_thumbnailHeight);
  if (!canvas.Valid()) return false;
  PatBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), WHITENESS);
  PicturePlacement place = ThumbnailPlacement(canvas.Width(), canvas.Height(), picture.width, picture.height);
  RECT target{place.x, place.y, place.x + place.width, place.y + place.height};
  if (picture.bits) DrawPicture(canvas.Dc(), picture, target);
  int evicted = -1;
  const int slot = slots_.Assign(index, evicted);
  if (slot < 0) return false;
  if (evicted >= 0) loaded_[static_cast<size_t>(evicted)] = 0;
  if (!ReplaceImage(canvas, thumbnails_, 1 + slot)) {
    slots_.Release(index);
    return false;
  }
  return true;
}

void CMyListView::ShowInPreview() {
  CWnd* parent = FromHandle(GetParent(m_hWnd));
  if (!parent || !parent->IsKindOf(&CSplitterWnd::kClass)) return;
  CWnd* pane = static_cast<CSplitterWnd*>(parent)->GetPane(0, 2);
  if (pane && pane->IsKindOf(&CMyScrollView::kClass))
    static_cast<CMyScrollView*>(pane)->SetImage(ItemPath(currentItem_));
}

void CMyListView::OpenSelected() {
  int index = -1;
  while ((index = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0)
    OpenViewer(ItemPath(index));
}

void CMyListView::StepTo(int index) {
  // Whatever was selected before (Shift or Ctrl clicks, Select All), one item stays: item -1
  // stands for every item.
  SetItemState(m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  currentItem_ = index;
  SetItemState(m_hWnd, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  // A Shift click then selects from here.
  SendMessage(LVM_SETSELECTIONMARK, 0, index);
  SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  ShowInPreview();
}

void CMyListView::OnClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  LVHITTESTINFO hit{};
  hit.pt = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
  int index = static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index >= 0 && index != currentItem_) currentItem_ = index;
  if (currentItem_ != -1) ShowInPreview();
}

void CMyListView::OnDoubleClick(NMHDR*, LRESULT* result) {
  *result = 0;
  OpenSelected();
}

bool CMyListView::OnKeyDown(UINT key, UINT, UINT) {
  // The arrow keys step linearly in item order in every mode; the control's own navigation
  // (which moves by rows and columns) never runs after them.
  const bool back = key == VK_LEFT || key == VK_UP;
  const bool forward = key == VK_RIGHT || key == VK_DOWN;
  if (!back && !forward) {
    // Home, End, the page keys, Space: the control's own, and the current item follows them.
    DefaultFollowingFocus();
    return true;  // consumed: the control has had it
  }
  const int count = ItemCount();
  if (count == 0) return true;
  if (back && currentItem_ > 0) StepTo(currentItem_ - 1);
  if (forward && currentItem_ < count - 1) StepTo(currentItem_ + 1);
  return true;
}

LRESULT CMyListView::OnMouseOrChar(WPARAM, LPARAM) { return DefaultFollowingFocus(); }

LRESULT CMyListView::DefaultFollowingFocus() {
  const HWND self = m_hWnd;
  const int before = FocusedItem();
  const LRESULT result = Default();
  // What the control notified may have destroyed it, and this object with it.
  if (FromHandle(self) != this) return result;
  const int after = FocusedItem();
  if (after >= 0 && after != before) currentItem_ = after;
  return result;
}

LRESULT CMyListView::OnContextMenu(WPARAM, LPARAM lParam) {
  TrackContextMenu(kListContextMenu, lParam);
  return 0;
}

void CMyListView::OnOpen() { OpenSelected(); }

void CMyListView::OnUpdateOpen(CCmdUI& ui) { ui.Enable(SelectedCount() > 0); }

void CMyListView::OnSelectAll() { SetItemState(m_hWnd, -1, LVIS_SELECTED, LVIS_SELECTED); }

void CMyListView::StopAutoAdvance() {
  if (!autoAdvance_) return;
  KillTimer(m_hWnd, timerId_);
  autoAdvance_ = 0;
}

void CMyListView::OnAutoAdvance() {
  timerId_ = kAutoAdvanceTimer;
  if (autoAdvance_) {
    StopAutoAdvance();
    return;
  }
  SetTimer(m_hWnd, timerId_, kAutoAdvancePeriod, nullptr);
  autoAdvance_ = 1;
  if (ItemCount() == currentItem_ + 1) currentItem_ = -1;  // start again from the first item
}

void CMyListView::OnStopAutoAdvance() { StopAutoAdvance(); }

void CMyListView::OnUpdateAutoAdvance(CCmdUI& ui) { ui.SetCheck(autoAdvance_ ? 1 : 0); }
void CMyListView::OnUpdateStartAutoAdvance(CCmdUI& ui) { ui.Enable(!autoAdvance_); }
void CMyListView::OnUpdateStopAutoAdvance(CCmdUI& ui) { ui.Enable(autoAdvance_ != 0); }

void CMyListView::OnTimer(UINT_PTR id) {
  if (id != timerId_) return;
  int count = ItemCount();
  if (count == 0) return;
  if (currentItem_ < count - 1) StepTo(currentItem_ + 1);
  if (currentItem_ == count - 1) StopAutoAdvance();
}

void CMyListView::SortFiles(int order) {
  scanner_.Sort(order);
  // Items change places: no slot belongs to its item any more.
  std::fill(loaded_.begin(), loaded_.end(), 0);
  slots_.Reset(static_cast<int>(scanner_.Count()), slots_.SlotCount());
  SendMessage(LVM_SETITEMCOUNT, scanner_.Count(), 0);
  WriteSortOrder(order);
}

void CMyListView::PurgeThumbnails() {
  if (!currentFolder_.empty()) PurgeThumbnailFiles(currentFolder_, Browser().appFolder);
  CreateThumbnailList();
}

void CMyListView::ToggleDisplayMode() {
  LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  LONG mode = style & LVS_TYPEMASK;
  LONG next = mode == LVS_ICON ? LVS_REPORT : LVS_ICON;
  SetWindowLongA(m_hWnd, GWL_STYLE, (style & ~LVS_TYPEMASK) | next);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

int CMyListView::FocusedItem() const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

std::string CMyListView::ItemPath(int index) const {
  const auto& records = scanner_.Records();
  if (index < 0 || index >= static_cast<int>(records.size())) return "";
  return PathJoin(currentFolder_, records[static_cast<size_t>(index)].fileName);
}

std::vector<std::string> CMyListView::SelectedPaths() const {
  std::vector<std::string> paths;
  int index = -1;
  while ((index = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0) {
    std::string path = ItemPath(index);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

void CMyListView::OnAddToFavorites() { AddFileFavorites(SelectedPaths()); }
std::vector<std::string> CMyListView::SelectedNames() const {
  std::vector<std::string> names;
  const auto& records = scanner_.Records();
  int index = -1;
  while ((index = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0) {
    if (index >= static_cast<int>(records.size())) break;
    names.push_back(records[static_cast<size_t>(index)].fileName);
  }
  return names;
}

void CMyListView::OnAnnotate() {
  // No folder listed yet: there is no store to read or write.
  if (currentFolder_.empty()) return;
  const std::string store = AnnotationPathOf(currentFolder_);
  // Copied before the dialog: the list may be listed again while it is open.
  const std::vector<std::string> names = SelectedNames();
  if (!ReadAnnotationFile(store, annotations_) && names.size() == 1) TouchAnnotationFile(store);
  CAnnotationDlg dialog(this);
  dialog.m_strText = CommonAnnotation(annotations_, names);
  const std::string shown = dialog.m_strText;
  dialog.save = [&](const std::string& text) {
    // Several files whose text was left as shown keep their own annotations.
    if (names.size() > 1 && text == shown) return true;
    return SaveAnnotations(store, names, text);
  };
  dialog.DoModal();
}

void CMyListView::OnFind() {
  if (Browser().showFind) Browser().showFind(*this);
}

bool CMyListView::OnPreparePrinting(CPrintInfo& info) {
  // An empty folder starts no job.
  if (ItemCount() == 0 || ActivePrintPreview()) return false;
  if (SelectedCount() > 0) {
    info.m_pd.Flags &= ~static_cast<DWORD>(PD_NOSELECTION);
    info.m_pd.Flags |= PD_SELECTION;
  }
  // The application's shared defaults: every later dialog and preview starts in landscape.
  if (PrinterSettings* defaults = AfxPrinterDefaults(); defaults && defaults->LoadDefaults())
    defaults->SetOrientation(DMORIENT_LANDSCAPE);
  return DoPreparePrinting(info);
}

void CMyListView::OnBeginPrinting(HDC dc, CPrintInfo& info) {
  CWaitCursor wait;
  if (info.m_pd.hDevMode) {
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(info.m_pd.hDevMode))) {
      ResetDCA(dc, mode);
      GlobalUnlock(info.m_pd.hDevMode);
    }
  }
  // The job's own copy of what it prints: the selection chosen in the dialog, or every record.
  std::vector<std::string> paths;
  if (info.PrintSelection()) {
    paths = SelectedPaths();
  } else {
    paths.reserve(Records().size());
    for (size_t i = 0; i < Records().size(); ++i) paths.push_back(ItemPath(static_cast<int>(i)));
  }
  printJob_.Begin(std::move(paths), info);
}

void CMyListView::OnPrint(HDC dc, CPrintInfo& info) { printJob_.PrintPage(dc, info); }

void CMyListView::OnEndPrinting(HDC, CPrintInfo&) { printJob_.End(); }

void CMyListView::OnUpdatePrint(CCmdUI& ui) { ui.Enable(ItemCount() > 0 && !ActivePrintPreview()); }
