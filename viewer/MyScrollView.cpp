#include "viewer/MyScrollView.h"

#include <algorithm>
#include <new>

#include "framework/File.h"
#include "framework/MessageBox.h"
#include "framework/PrintPreview.h"
#include "framework/WinApp.h"
#include "image/JpegFile.h"
#include "navigation/Favorites.h"
#include "program/CommandIds.h"
#include "viewer/PagePicture.h"
#include "viewer/SlideShowFrame.h"
#include "viewer/ViewerList.h"
#include "viewer/Wallpaper.h"

namespace {
constexpr UINT kPreviewContextMenu = IDR_CONTEXT_PREVIEW;
constexpr UINT kAddToFavoritesCommand = ID_FAVORITES_ADD;
constexpr UINT kWallpaperCommand = ID_VIEW_WALLPAPER;

bool IsPrinterContext(HDC dc) { return GetDeviceCaps(dc, TECHNOLOGY) == DT_RASPRINTER; }
}  // namespace

const CRuntimeClass CMyScrollView::kClass{"CMyScrollView", &CScrollView::kClass, &CreateObjectOf<CMyScrollView>};
const MessageMap CMyScrollView::kMessageMap{
    &CScrollView::kMessageMap,
    {
        OnMessage(WM_KEYDOWN, &CMyScrollView::OnKeyDown),
        OnMessage(WM_CONTEXTMENU, &CMyScrollView::OnContextMenu),
        OnCommand(kWallpaperCommand, &CMyScrollView::OnSetAsWallpaper),
        OnUpdateCommand(kWallpaperCommand, &CMyScrollView::OnUpdateHasPicture),
        OnCommand(kAddToFavoritesCommand, &CMyScrollView::OnAddToFavorites),
        OnUpdateCommand(kAddToFavoritesCommand, &CMyScrollView::OnUpdateHasPicture),
        OnCommand(ID_FILE_PRINT, &CView::OnFilePrint),
        OnUpdateCommand(ID_FILE_PRINT, &CMyScrollView::OnUpdatePrint),
        OnCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
        OnUpdateCommand(ID_FILE_PRINT_PREVIEW, &CMyScrollView::OnUpdatePrint),
    },
};

const char* CMyScrollView::ViewClass() const {
  return RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void CMyScrollView::SetImage(const std::string& path) {
  CWaitCursor wait;
  if (!path.empty()) {
    // The old picture goes first: a 32-bit process may not hold two large ones at once.
    picture_.reset();
    picture_ = ReadPictureForDisplay(path);
  }
  try {
    path_ = path;
  } catch (const std::bad_alloc&) {
    // Out of memory: nothing to show, as for a file that cannot be decoded.
    picture_.reset();
  }
  InvalidateRect(m_hWnd, nullptr, TRUE);
  // Last: the box is a yield point, after which this view may be gone.
  if (picture_ && !picture_->warning.empty()) AfxMessageBox(picture_->warning.c_str(), MB_OK, kJpegErrorCaption);
}

std::unique_ptr<CDib> ReadPictureForDisplay(const std::string& path) noexcept {
  try {
    auto picture = std::make_unique<CDib>();
    CFile file;
    if (file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite)) {
      picture->Read(file);
      picture->PrepareForDisplay();
    }
    return picture;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void CMyScrollView::OnInitialUpdate() {
  CScrollView::OnInitialUpdate();
  SetScrollSizes(MM_TEXT, SIZE{0, 0});
}

void CMyScrollView::OnDraw(HDC dc) {
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
  if (path_.empty() || !picture_) return;
  const CDib& picture = *picture_;
  if (IsPrinterContext(dc)) {
    DrawPicture(dc, picture, PrintPageRect(dc, picture.width, picture.height));
    return;
  }
  RECT client = GetClientRect();
  int pictureWidth = static_cast<int>(picture.width);
  int pictureHeight = static_cast<int>(picture.height);
  if (client.right == pictureWidth && client.bottom == pictureHeight) {
    DrawPicture(dc, picture, client);
    return;
  }
  PictureSize size = FitPictureSize(pictureWidth, pictureHeight, client.right, client.bottom,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  DrawPicture(dc, picture, CentredRect(client, size));
}

bool CMyScrollView::OnPreparePrinting(CPrintInfo& info) {
  if (path_.empty() || ActivePrintPreview()) return false;
  const bool wide = picture_ && picture_->height < picture_->width;
  // The application's defaults keep the orientation for later jobs.
  if (PrinterSettings* defaults = AfxPrinterDefaults(); defaults && defaults->LoadDefaults())
    defaults->SetOrientation(wide ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
  return DoPreparePrinting(info);
}

void CMyScrollView::OnBeginPrinting(HDC, CPrintInfo& info) { info.SetMaxPage(1); }

void CMyScrollView::OnPrint(HDC dc, CPrintInfo& info) {
  if (path_.empty() || !picture_ || !picture_->bits || info.m_nCurPage != 1) return;
  HDC printer = info.PrinterDc() ? info.PrinterDc() : dc;
  const RECT page = FitPictureOnPage(picture_->width, picture_->height, GetDeviceCaps(printer, HORZRES),
                                     GetDeviceCaps(printer, VERTRES), GetDeviceCaps(printer, LOGPIXELSX),
                                     GetDeviceCaps(printer, LOGPIXELSY));
  StretchPictureTo(dc, picture_->bits.get(), picture_->width, picture_->height, page);
}

void CMyScrollView::OnUpdatePrint(CCmdUI& ui) { ui.Enable(!path_.empty() && !ActivePrintPreview()); }

LRESULT CMyScrollView::OnKeyDown(WPARAM wParam, LPARAM lParam) {
  // The viewer window's F2, F3 and F4 work while the view has the focus.
  ::SendMessageA(GetParent(m_hWnd), WM_KEYDOWN, wParam, lParam);
  return Default();
}

LRESULT CMyScrollView::OnContextMenu(WPARAM, LPARAM lParam) {
  TrackContextMenu(kPreviewContextMenu, lParam);
  return 0;
}

void CMyScrollView::OnSetAsWallpaper() {
  if (!path_.empty()) SetAsWallpaper(path_);
}

void CMyScrollView::OnAddToFavorites() {
  if (!path_.empty()) AddFileFavorites({path_});
}

void CMyScrollView::OnUpdateHasPicture(CCmdUI& ui) { ui.Enable(!path_.empty()); }

SIZE ViewerWindowSize(uint32_t pictureWidth, uint32_t pictureHeight, int screenWidth, int screenHeight, int frameWidth,
                      int frameHeight, int captionHeight) {
  // Unsigned like the picture sizes: a picture wider than the screen gets the screen's width.
  uint32_t wantedWidth = 3u * static_cast<uint32_t>(frameWidth) + pictureWidth;
  uint32_t wantedHeight =
      3u * static_cast<uint32_t>(frameHeight) + static_cast<uint32_t>(captionHeight) + pictureHeight;
  uint32_t usableHeight = static_cast<uint32_t>(screenHeight - 20);
  SIZE size;
  size.cx = static_cast<uint32_t>(screenWidth) < wantedWidth ? screenWidth : static_cast<LONG>(wantedWidth);
  size.cy = usableHeight < wantedHeight ? static_cast<LONG>(usableHeight) : static_cast<LONG>(wantedHeight);
  return size;
}

void PlaceAsViewerWindow(HWND frame, const CDib* picture) {
  SIZE size =
      ViewerWindowSize(picture ? picture->width : 0, picture ? picture->height : 0, GetSystemMetrics(SM_CXSCREEN),
                       GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME),
                       GetSystemMetrics(SM_CYCAPTION));
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  int x = desktop.left + (desktop.right - desktop.left - size.cx) / 2;
  int y = desktop.top + (desktop.bottom - desktop.top - size.cy) / 2;
  MoveWindow(frame, x, y, size.cx, size.cy, TRUE);
}

const CRuntimeClass CViewerFrame::kClass{"CViewerFrame", &CFrameWnd::kClass};
const MessageMap CViewerFrame::kMessageMap{
    &CFrameWnd::kMessageMap,
    {
        OnMessage(WM_KEYDOWN, &CViewerFrame::OnKeyDown),
        OnMessage(WM_GETMINMAXINFO, &CViewerFrame::OnGetMinMaxInfo),
    },
};

bool CViewerFrame::Create(const std::string& path) {
  path_ = path;
  size_t slash = path.find_last_of("\\/");
  std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
  const char* cls =
      RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                    LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128)));
  return CreateFrame(cls, title.c_str(), WS_OVERLAPPEDWINDOW);
}

bool CViewerFrame::OnCreateClient(CREATESTRUCTA*) {
  view_ = CreatePictureView<CMyScrollView>(*this, path_);
  return view_ != nullptr;
}

void CViewerFrame::ActivateNeighbour(bool previous) {
  std::list<CWnd*>& windows = Viewers().windows;
  auto self = std::find(windows.begin(), windows.end(), this);
  if (self == windows.end()) return;
  CWnd* target = nullptr;
  if (previous)
    target = self == windows.begin() ? windows.back() : *std::prev(self);
  else
    target = std::next(self) == windows.end() ? windows.front() : *std::next(self);
  SetFocus(target->m_hWnd);
  SetForegroundWindow(target->m_hWnd);
  BringWindowToTop(target->m_hWnd);
}

LRESULT CViewerFrame::OnKeyDown(WPARAM wParam, LPARAM) {
  switch (wParam) {
    case VK_F2: ActivateNeighbour(true); return 0;
    case VK_F3: ActivateNeighbour(false); return 0;
    case VK_F4:
      // Pauses the show only while it is on screen.
      if (CSlideShowFrame* show = CSlideShowFrame::OnScreen()) show->TogglePause();
      break;
    default: break;
  }
  return Default();
}

LRESULT CViewerFrame::OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Default();
  // The window of an empty picture is only its frames and caption: allow that small a window.
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize.x = 3 * GetSystemMetrics(SM_CXFRAME);
  info->ptMinTrackSize.y = 3 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
  return result;
}

void CViewerFrame::PostNcDestroy() {
  // Closing, Close All or any DestroyWindow: the list never keeps a window that is gone.
  Viewers().windows.remove(this);
  CFrameWnd::PostNcDestroy();
}

CViewerFrame* OpenViewer(const std::string& path) {
  // Called from command handlers: running out of memory opens no window and throws nothing.
  auto* frame = new (std::nothrow) CViewerFrame;
  if (!frame) return nullptr;
  bool created = false;
  try {
    created = frame->Create(path);
  } catch (const std::bad_alloc&) {
  }
  if (!created) {
    delete frame;
    return nullptr;
  }
  frame->ShowWindow(SW_SHOWNORMAL);
  try {
    Viewers().windows.push_back(frame);
  } catch (const std::bad_alloc&) {
    frame->DestroyWindow();
    return nullptr;
  }
  return frame;
}
