#include "framework/PrintPreview.h"

#include <algorithm>
#include <new>

#include "framework/FrameWnd.h"
#include "framework/View.h"

namespace {

constexpr int kBarHeight = 34;
constexpr int kMargin = 12;
CPrintPreview* g_preview = nullptr;

struct BarButton {
  UINT id;
  const char* text;
  int width;
};
constexpr BarButton kButtons[] = {
    {kPreviewPrint, "&Print...", 72},   {kPreviewNext, "&Next Page", 84}, {kPreviewPrev, "Pre&v Page", 84},
    {kPreviewNumPage, "&Two Page", 84}, {kPreviewZoomIn, "Zoom &In", 72}, {kPreviewZoomOut, "Zoom &Out", 72},
    {kPreviewClose, "&Close", 64},
};

}  // namespace

PreviewPageSize PreviewBitmapSize(int horzRes, int vertRes, int dpiX, int dpiY, int screenDpiX, int screenDpiY) {
  PreviewPageSize size;
  if (dpiX <= 0 || dpiY <= 0) return size;
  size.width = std::max(1, static_cast<int>(int64_t{horzRes} * screenDpiX / dpiX));
  size.height = std::max(1, static_cast<int>(int64_t{vertRes} * screenDpiY / dpiY));
  return size;
}

CPrintPreview* ActivePrintPreview() { return g_preview; }

const CRuntimeClass CPrintPreview::kClass{"CPrintPreview", &CWnd::kClass};
const MessageMap CPrintPreview::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnWmCreate(&CPrintPreview::OnCreate),
        OnMessage(WM_DESTROY, &CPrintPreview::OnDestroy),
        OnMessage(WM_PAINT, &CPrintPreview::OnPaint),
        OnMessage(WM_ERASEBKGND, &CPrintPreview::OnEraseBackground),
        OnWmSize(&CPrintPreview::OnSize),
        OnWmKeyDown(&CPrintPreview::OnKeyDown),
        OnMessage(WM_HSCROLL, &CPrintPreview::OnScroll),
        OnMessage(WM_VSCROLL, &CPrintPreview::OnVScroll),
        OnMessage(WM_CLOSE, &CPrintPreview::OnClose),
        OnCommand(kPreviewNext, &CPrintPreview::OnNext),
        OnCommand(kPreviewPrev, &CPrintPreview::OnPrev),
        OnCommand(kPreviewNumPage, &CPrintPreview::OnNumPage),
        OnCommand(kPreviewZoomIn, &CPrintPreview::OnZoomIn),
        OnCommand(kPreviewZoomOut, &CPrintPreview::OnZoomOut),
        OnCommand(kPreviewPrint, &CPrintPreview::OnPrint),
        OnCommand(kPreviewClose, &CPrintPreview::OnClose),
    },
};

CPrintPreview::CPrintPreview(CView& view, std::unique_ptr<CPrintInfo> info) : view_(&view), info_(std::move(info)) {}

CPrintPreview::~CPrintPreview() { DropPages(); }

CPrintPreview* CPrintPreview::Open(CView& view, std::unique_ptr<CPrintInfo> info) {
  CPrintInfo* job = info.get();
  auto* preview = new (std::nothrow) CPrintPreview(view, std::move(info));
  if (!preview) {
    // `info` still owns the job: the preview was never made.
    view.OnEndPrinting(job->PrinterDc(), *job);
    return nullptr;
  }
  CFrameWnd* frame = view.GetParentFrame();
  HWND owner = frame ? frame->m_hWnd : nullptr;
  RECT area{0, 0, 800, 600};
  if (owner) GetWindowRect(owner, &area);
  const char* cls = RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
  g_preview = preview;
  if (!preview->CreateEx(0, cls, "Print Preview",
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL | WS_VISIBLE, area, nullptr,
                         0)) {
    // A window that was made and destroyed again has ended the job and deleted its object.
    if (g_preview == preview) {
      g_preview = nullptr;
      preview->ended_ = true;
      view.OnEndPrinting(job->PrinterDc(), *job);
      delete preview;
    }
    return nullptr;
  }
  // Owned by the frame: above it, and destroyed before it.
  if (owner) SetWindowLongPtrA(preview->m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (owner && IsZoomed(owner)) ::ShowWindow(preview->m_hWnd, SW_MAXIMIZE);
  SetFocus(preview->m_hWnd);
  return preview;
}

int CPrintPreview::OnCreate(CREATESTRUCTA*) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const BarButton& b : kButtons) {
    HWND button = CreateWindowExA(0, "BUTTON", b.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, b.width,
                                  kBarHeight - 10, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(b.id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!button) return -1;
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  LayoutBar();
  UpdateBar();
  return 0;
}

void CPrintPreview::LayoutBar() {
  int x = 6;
  for (const BarButton& b : kButtons) {
    MoveWindow(Button(b.id), x, 5, b.width, kBarHeight - 10, TRUE);
    x += b.width + 4;
  }
}

void CPrintPreview::OnDestroy() {
  // Closing the preview ends the job: the view forgets its printing state, the DC goes.
  if (!ended_) {
    ended_ = true;
    view_->OnEndPrinting(info_->PrinterDc(), *info_);
  }
  DropPages();
  if (g_preview == this) g_preview = nullptr;
  Default();
}

void CPrintPreview::PostNcDestroy() { delete this; }

void CPrintPreview::OnClose() { DestroyWindow(); }

void CPrintPreview::DropPages() {
  for (RenderedPage& page : pages_)
    if (page.bitmap) DeleteObject(page.bitmap);
  pages_.clear();
}

void CPrintPreview::Refresh() {
  DropPages();
  const UINT last = std::max(1u, info_->GetMaxPage());
  page_ = std::clamp(page_, 1u, last);
  UpdateBar();
  UpdateScrollBars();
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

HBITMAP CPrintPreview::PageBitmap(UINT page) const {
  for (const RenderedPage& p : pages_)
    if (p.page == page) return p.bitmap;
  return nullptr;
}

const CPrintPreview::RenderedPage* CPrintPreview::Render(UINT page) {
  for (const RenderedPage& p : pages_)
    if (p.page == page) return &p;
  HDC printer = info_->PrinterDc();
  if (!printer || page < 1 || page > info_->GetMaxPage()) return nullptr;
  const int horz = GetDeviceCaps(printer, HORZRES);
  const int vert = GetDeviceCaps(printer, VERTRES);
  HDC screen = GetDC(m_hWnd);
  const PreviewPageSize size =
      PreviewBitmapSize(horz, vert, GetDeviceCaps(printer, LOGPIXELSX), GetDeviceCaps(printer, LOGPIXELSY),
                        GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(m_hWnd, screen);

  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = size.width;
  bmi.bmiHeader.biHeight = size.height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, size.width, size.height, WHITENESS);
  // The view draws in printer pixels; the mapping scales them to the bitmap.
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, horz, vert, nullptr);
  SetViewportExtEx(dc, size.width, size.height, nullptr);
  info_->m_nCurPage = page;
  info_->m_bContinuePrinting = true;
  info_->m_rectDraw = {0, 0, horz, vert};
  try {
    view_->OnPrepareDC(dc, info_.get());
    view_->OnPrint(dc, *info_);
  } catch (const std::bad_alloc&) {
    // What was drawn stays; the rest of the page is left blank.
  }
  ++pagesDrawn_;
  SelectObject(dc, old);
  DeleteDC(dc);

  // Keep the pages nearest the one asked for.
  if (pages_.size() >= kKeptPages) {
    auto farthest =
        std::max_element(pages_.begin(), pages_.end(), [page](const RenderedPage& a, const RenderedPage& b) {
          auto distance = [page](UINT p) { return p > page ? p - page : page - p; };
          return distance(a.page) < distance(b.page);
        });
    DeleteObject(farthest->bitmap);
    pages_.erase(farthest);
  }
  try {
    pages_.push_back({page, bitmap, size});
  } catch (const std::bad_alloc&) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return &pages_.back();
}

RECT CPrintPreview::PageArea() const {
  RECT area = GetClientRect();
  area.top = std::min<LONG>(area.bottom, kBarHeight);
  return area;
}

double CPrintPreview::Scale(const PreviewPageSize& page) const {
  if (zoom_ > 0) return zoom_;
  const RECT area = PageArea();
  const int shown = pagesShown_;
  const double width = (area.right - area.left - kMargin * (shown + 1)) / static_cast<double>(shown);
  const double height = area.bottom - area.top - 2.0 * kMargin;
  return std::max(0.05, std::min(width / page.width, height / page.height));
}

void CPrintPreview::UpdateScrollBars() {
  content_ = {0, 0};
  if (zoom_ > 0) {
    HDC printer = info_->PrinterDc();
    HDC screen = GetDC(m_hWnd);
    const PreviewPageSize size = PreviewBitmapSize(
        GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES), GetDeviceCaps(printer, LOGPIXELSX),
        GetDeviceCaps(printer, LOGPIXELSY), GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(m_hWnd, screen);
    content_.cx = static_cast<LONG>(size.width * Scale(size)) + 2 * kMargin;
    content_.cy = static_cast<LONG>(size.height * Scale(size)) + 2 * kMargin;
  }
  const RECT area = PageArea();
  SetScrollBarsToFit(m_hWnd, SIZE{area.right - area.left, area.bottom - area.top}, content_, scroll_);
}

void CPrintPreview::ScrollBy(int bar, int delta) {
  LONG& pos = bar == SB_HORZ ? scroll_.x : scroll_.y;
  const RECT area = PageArea();
  const LONG range = bar == SB_HORZ ? content_.cx - (area.right - area.left) : content_.cy - (area.bottom - area.top);
  pos = std::clamp<LONG>(pos + delta, 0, std::max<LONG>(0, range));
  SetScrollPos(m_hWnd, bar, pos, TRUE);
  InvalidateRect(m_hWnd, &area, FALSE);
}

LRESULT CPrintPreview::OnScroll(WPARAM wParam, LPARAM) {
  const RECT area = PageArea();
  const int pageSize = area.right - area.left;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: ScrollBy(SB_HORZ, -16); break;
    case SB_LINERIGHT: ScrollBy(SB_HORZ, 16); break;
    case SB_PAGELEFT: ScrollBy(SB_HORZ, -pageSize); break;
    case SB_PAGERIGHT: ScrollBy(SB_HORZ, pageSize); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollBy(SB_HORZ, static_cast<int>(HIWORD(wParam)) - scroll_.x); break;
    default: break;
  }
  return 0;
}

LRESULT CPrintPreview::OnVScroll(WPARAM wParam, LPARAM) {
  const RECT area = PageArea();
  const int pageSize = area.bottom - area.top;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollBy(SB_VERT, -16); break;
    case SB_LINEDOWN: ScrollBy(SB_VERT, 16); break;
    case SB_PAGEUP: ScrollBy(SB_VERT, -pageSize); break;
    case SB_PAGEDOWN: ScrollBy(SB_VERT, pageSize); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollBy(SB_VERT, static_cast<int>(HIWORD(wParam)) - scroll_.y); break;
    default: break;
  }
  return 0;
}

void CPrintPreview::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT client = GetClientRect();
  RECT bar{client.left, client.top, client.right, std::min<LONG>(client.bottom, kBarHeight)};
  FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
  const RECT area = PageArea();
  HDC back = CreateCompatibleDC(dc);
  HBITMAP canvas =
      CreateCompatibleBitmap(dc, std::max<LONG>(1, area.right - area.left), std::max<LONG>(1, area.bottom - area.top));
  HGDIOBJ oldCanvas = SelectObject(back, canvas);
  RECT local{0, 0, area.right - area.left, area.bottom - area.top};
  FillRect(back, &local, GetSysColorBrush(COLOR_APPWORKSPACE));
  const UINT last = info_->GetMaxPage();
  const int shown = zoom_ > 0 ? 1 : pagesShown_;
  int x = kMargin - scroll_.x;
  for (int i = 0; i < shown; ++i) {
    const UINT number = page_ + static_cast<UINT>(i);
    if (number > last) break;
    const RenderedPage* page = Render(number);
    if (!page) break;
    const double scale = Scale(page->size);
    const int width = static_cast<int>(page->size.width * scale);
    const int height = static_cast<int>(page->size.height * scale);
    const int slot = zoom_ > 0 ? std::max<int>(width, static_cast<int>(local.right) - 2 * kMargin)
                               : (static_cast<int>(local.right) - kMargin * (shown + 1)) / shown;
    const int left = x + std::max(0, (slot - width) / 2);
    const int top = zoom_ > 0 ? kMargin - scroll_.y : std::max(kMargin, (static_cast<int>(local.bottom) - height) / 2);
    RECT shadow{left + 4, top + 4, left + width + 4, top + height + 4};
    FillRect(back, &shadow, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ oldSource = SelectObject(source, page->bitmap);
    SetStretchBltMode(back, HALFTONE);
    SetBrushOrgEx(back, 0, 0, nullptr);
    StretchBlt(back, left, top, width, height, source, 0, 0, page->size.width, page->size.height, SRCCOPY);
    SelectObject(source, oldSource);
    DeleteDC(source);
    x += slot + kMargin;
  }
  BitBlt(dc, area.left, area.top, local.right, local.bottom, back, 0, 0, SRCCOPY);
  SelectObject(back, oldCanvas);
  DeleteObject(canvas);
  DeleteDC(back);
  EndPaint(m_hWnd, &ps);
}

void CPrintPreview::OnSize(UINT, int, int) {
  UpdateScrollBars();
  InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPrintPreview::UpdateBar() {
  const UINT last = info_->GetMaxPage();
  const UINT lastShown = page_ + static_cast<UINT>(zoom_ > 0 ? 1 : pagesShown_) - 1;
  EnableWindow(Button(kPreviewNext), lastShown < last);
  EnableWindow(Button(kPreviewPrev), page_ > 1);
  EnableWindow(Button(kPreviewNumPage), zoom_ == 0 && last > 1);
  EnableWindow(Button(kPreviewZoomIn), zoom_ < kMaxZoom);
  EnableWindow(Button(kPreviewZoomOut), zoom_ > 0);
  ::SetWindowTextA(Button(kPreviewNumPage), pagesShown_ == 1 ? "&Two Page" : "&One Page");
  char title[64];
  if (pagesShown_ == 2 && zoom_ == 0 && page_ < last)
    wsprintfA(title, "Print Preview - Pages %u-%u of %u", page_, page_ + 1, last);
  else
    wsprintfA(title, "Print Preview - Page %u of %u", page_, last);
  ::SetWindowTextA(m_hWnd, title);
}

void CPrintPreview::ShowPage(UINT page) {
  page_ = std::clamp(page, 1u, std::max(1u, info_->GetMaxPage()));
  scroll_ = {0, 0};
  UpdateBar();
  UpdateScrollBars();
  InvalidateRect(m_hWnd, nullptr, FALSE);
  // The bar's buttons keep no focus: the keys belong to the preview.
  SetFocus(m_hWnd);
}

void CPrintPreview::OnNext() {
  if (page_ < info_->GetMaxPage()) ShowPage(page_ + 1);
}

void CPrintPreview::OnPrev() {
  if (page_ > 1) ShowPage(page_ - 1);
}

void CPrintPreview::OnNumPage() {
  pagesShown_ = pagesShown_ == 1 ? 2 : 1;
  ShowPage(page_);
}

void CPrintPreview::OnZoomIn() {
  if (zoom_ < kMaxZoom) ++zoom_;
  ShowPage(page_);
}

void CPrintPreview::OnZoomOut() {
  if (zoom_ > 0) --zoom_;
  ShowPage(page_);
}

void CPrintPreview::OnPrint() {
  // The preview's job ends first; printing is a job of its own, with the dialog.
  HWND view = view_->m_hWnd;
  DestroyWindow();
  ::PostMessageA(view, WM_COMMAND, ID_FILE_PRINT, 0);
}

bool CPrintPreview::OnKeyDown(UINT key, UINT, UINT) {
  switch (key) {
    case VK_NEXT: OnNext(); return true;
    case VK_PRIOR: OnPrev(); return true;
    case VK_ESCAPE: DestroyWindow(); return true;
    case VK_ADD: OnZoomIn(); return true;
    case VK_SUBTRACT: OnZoomOut(); return true;
    default: return false;
  }
}

void CView::OnFilePrintPreview() {
  if (ActivePrintPreview()) return;  // one preview at a time
  std::unique_ptr<CPrintInfo> info(new (std::nothrow) CPrintInfo);
  if (!info) return;
  info->m_bPreview = true;
  if (!OnPreparePrinting(*info)) return;
  OnBeginPrinting(info->PrinterDc(), *info);
  CPrintPreview::Open(*this, std::move(info));
}
