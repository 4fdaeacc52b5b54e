#include "browser/MyListView.h"

#include <algorithm>

#include "browser/FileNames.h"
#include "browser/ListMessages.h"
#include "framework/WinApp.h"
#include "image/ImageSettings.h"

namespace {

constexpr UINT kSmallPictureBitmap = 134;
constexpr DWORD kSkippedByReadiness = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                      FILE_ATTRIBUTE_TEMPORARY;

void CopyCut(const std::string& text, char* buffer, int length) {
  if (!buffer || length <= 0) return;
  lstrcpynA(buffer, text.c_str(), length);
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
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(PathJoin(folder, "*.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool readable = false;
  do {
    if (found.dwFileAttributes & kSkippedByReadiness) continue;
    HANDLE file = CreateFileA(PathJoin(folder, found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char head[2];
    DWORD got = 0;
    ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    readable = true;
  } while (FindNextFileA(search, &found));
  bool ended = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return readable && ended;
}

const CRuntimeClass CMyListView::kClass{"CMyListView", &CListView::kClass, &CreateObjectOf<CMyListView>};
const MessageMap CMyListView::kMessageMap{&CListView::kMessageMap, {
    OnMessage(kWmListFolder, &CMyListView::OnListFolder),
    OnReflectedNotify(LVN_GETDISPINFOA, &CMyListView::OnGetDispInfo),
    OnMessage(WM_DESTROY, &CMyListView::OnDestroy),
}};

DWORD CMyListView::ControlStyle() const { return LVS_ICON | LVS_OWNERDATA | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS; }

void CMyListView::CreateThumbnailList() {
  if (thumbnails_) ImageList_Destroy(thumbnails_);
  thumbnails_ = ImageList_Create(g_thumbnailWidth, g_thumbnailHeight, ILC_COLOR24, 0, 1);
  SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(thumbnails_));
}

void CMyListView::OnInitialUpdate() {
  if (thumbnails_) return;
  CreateThumbnailList();
  smallImages_ = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSmallPictureBitmap), 16, 1,
                                      RGB(255, 255, 255), IMAGE_BITMAP, 0);
  SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_));
  const struct {
    const char* title;
    int width;
  } columns[] = {{"Name", 135}, {"Size", 90}, {"Type", 90}, {"Modified", 135}};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].title);
    column.iSubItem = i;
    SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  currentItem_ = -1;
}

void CMyListView::OnDestroy() {
  // The control does not own image lists that were set from outside.
  SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
  SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (thumbnails_) ImageList_Destroy(thumbnails_);
  if (smallImages_) ImageList_Destroy(smallImages_);
  thumbnails_ = smallImages_ = nullptr;
  CView::OnDestroy();
}

LRESULT CMyListView::OnListFolder(WPARAM, LPARAM lParam) {
  if (lParam) currentFolder_ = reinterpret_cast<const char*>(lParam);
  SendMessage(LVM_SETITEMCOUNT, 0, LVSICF_NOINVALIDATEALL);
  {
    CWaitCursor wait;
    scanner_.Clear();
    if (!FolderHasReadableJpeg(currentFolder_)) return 0;
    scanner_.Scan(currentFolder_, kListPrefix, 0);
    CWinApp* app = AfxGetApp();
    scanner_.Sort(app ? app->GetProfileInt("Settings", "SortBy", 0) : 0);
  }
  int count = static_cast<int>(scanner_.Count());
  SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL);
  if (thumbnails_) ImageList_SetImageCount(thumbnails_, static_cast<UINT>(count));
  loaded_.assign(static_cast<size_t>(count), 0);
  annotations_.clear();
  currentItem_ = -1;
  return 0;
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
  if (item.mask & LVIF_IMAGE) item.iImage = item.iItem;
}

void CMyListView::ClearLoadedFlags() { std::fill(loaded_.begin(), loaded_.end(), 0); }

void CMyListView::SortFiles(int order) {
  scanner_.Sort(order);
  ClearLoadedFlags();
  SendMessage(LVM_SETITEMCOUNT, scanner_.Count(), 0);
  if (CWinApp* app = AfxGetApp()) app->WriteProfileInt("Settings", "SortBy", order);
}

void CMyListView::PurgeThumbnails() { CreateThumbnailList(); }

void CMyListView::ToggleDisplayMode() {
  LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  LONG mode = style & LVS_TYPEMASK;
  LONG next = mode == LVS_ICON ? LVS_REPORT : LVS_ICON;
  SetWindowLongA(m_hWnd, GWL_STYLE, (style & ~LVS_TYPEMASK) | next);
}

int CMyListView::FocusedItem() const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

std::string CMyListView::ItemPath(int index) const {
  const auto& records = scanner_.Records();
  if (index < 0 || index >= static_cast<int>(records.size())) return "";
  return PathJoin(currentFolder_, records[static_cast<size_t>(index)].fileName);
}
