#include "framework/View.h"

#include <algorithm>

#include "framework/FrameWnd.h"
#include "framework/PrintPreview.h"
#include "framework/YieldPoint.h"

const CRuntimeClass CView::kClass{"CView", &CWnd::kClass};
const MessageMap CView::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnMessage(WM_PAINT, &CView::OnPaint),
        OnMessage(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage),
        OnMessage(WM_MOUSEACTIVATE, &CView::OnMouseActivate),
        OnMessage(WM_SETFOCUS, &CView::OnSetFocus),
        OnMessage(WM_DESTROY, &CView::OnDestroy),
    },
};

const char* CView::ViewClass() const { return RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW)); }

bool CView::Create(CWnd* parent, UINT id, const RECT& rect, DWORD style) {
  return CreateEx(WS_EX_CLIENTEDGE, ViewClass(), "", style | ControlStyle(), rect, parent, id);
}

CFrameWnd* CView::GetParentFrame() const { return FrameOf(m_hWnd); }

void CView::TrackContextMenu(UINT menuId, LPARAM screenPoint) const {
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
  if (!menu) return;
  CFrameWnd* frame = GetParentFrame();
  AfxTrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, static_cast<short>(LOWORD(screenPoint)),
                    static_cast<short>(HIWORD(screenPoint)), frame ? frame->m_hWnd : GetParent(m_hWnd));
  DestroyMenu(menu);
}

void CView::OnDestroy() {
  // A preview of this view ends its job while the view still exists.
  if (CPrintPreview* preview = ActivePrintPreview(); preview && preview->View() == this) preview->Close();
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this)
    frame->SetActiveView(nullptr, false);
  Default();
}

void CView::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  OnDraw(dc);
  EndPaint(m_hWnd, &ps);
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

LRESULT CView::OnMouseActivate(WPARAM, LPARAM) {
  LRESULT result = Default();
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() != this) frame->SetActiveView(this);
  return result;
}

void CView::OnSetFocus() {
  Default();
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() != this) frame->SetActiveView(this, false);
}

const CRuntimeClass CScrollView::kClass{"CScrollView", &CView::kClass};
const MessageMap CScrollView::kMessageMap{
    &CView::kMessageMap,
    {
        OnMessage(WM_PAINT, &CScrollView::OnPaint),
        OnWmSize(&CScrollView::OnSize),
        OnMessage(WM_HSCROLL, &CScrollView::OnHScroll),
        OnMessage(WM_VSCROLL, &CScrollView::OnVScroll),
    },
};

void CScrollView::SetScrollSizes(int mapMode, SIZE total) {
  mapMode_ = mapMode;
  total_ = total;
  position_ = {0, 0};
  if (m_hWnd) UpdateBars();
}

void CScrollView::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  SetMapMode(dc, mapMode_);
  SetViewportOrgEx(dc, -position_.x, -position_.y, nullptr);
  OnDraw(dc);
  EndPaint(m_hWnd, &ps);
}

void CScrollView::OnSize(UINT, int, int) {
  Default();
  UpdateBars();
}

void SetScrollBarsToFit(HWND window, const SIZE& page, const SIZE& content, POINT& position) {
  const LONG pages[2] = {page.cx, page.cy};
  const LONG ranges[2] = {content.cx, content.cy};
  LONG* pos[2] = {&position.x, &position.y};
  for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
    // A content that fits the page needs no bar.
    const bool needed = ranges[bar] > pages[bar];
    *pos[bar] = needed ? std::clamp<LONG>(*pos[bar], 0, ranges[bar] - pages[bar]) : 0;
    SCROLLINFO info{sizeof info,
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    needed ? static_cast<int>(ranges[bar] - 1) : 0,
                    needed ? static_cast<UINT>(pages[bar]) : 0,
                    static_cast<int>(*pos[bar]),
                    0};
    SetScrollInfo(window, bar, &info, TRUE);
    ShowScrollBar(window, bar, needed);
  }
}

void InsertListColumns(HWND list, const ListColumn* columns, int count) {
  for (int i = 0; i < count; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].title);
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
}

void CScrollView::UpdateBars() {
  RECT client = GetClientRect();
  SetScrollBarsToFit(m_hWnd, SIZE{client.right, client.bottom}, total_, position_);
}

void CScrollView::ScrollTo(int bar, int position) {
  RECT client = GetClientRect();
  int range = bar == SB_HORZ ? total_.cx : total_.cy;
  int page = bar == SB_HORZ ? client.right : client.bottom;
  LONG& current = bar == SB_HORZ ? position_.x : position_.y;
  LONG target = std::clamp<LONG>(position, 0, std::max(0, range - page));
  if (target == current) return;
  int dx = bar == SB_HORZ ? current - target : 0;
  int dy = bar == SB_VERT ? current - target : 0;
  current = target;
  SetScrollPos(m_hWnd, bar, target, TRUE);
  ScrollWindowEx(m_hWnd, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

namespace {
int NewScrollPosition(HWND hwnd, int bar, WPARAM wParam, int line) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(hwnd, bar, &info);
  switch (LOWORD(wParam)) {
    case SB_LINEUP: return info.nPos - line;
    case SB_LINEDOWN: return info.nPos + line;
    case SB_PAGEUP: return info.nPos - static_cast<int>(info.nPage);
    case SB_PAGEDOWN: return info.nPos + static_cast<int>(info.nPage);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return info.nTrackPos;
    case SB_TOP: return 0;
    case SB_BOTTOM: return info.nMax;
    default: return info.nPos;
  }
}
}  // namespace

LRESULT CScrollView::OnHScroll(WPARAM wParam, LPARAM) {
  ScrollTo(SB_HORZ, NewScrollPosition(m_hWnd, SB_HORZ, wParam, 16));
  return 0;
}

LRESULT CScrollView::OnVScroll(WPARAM wParam, LPARAM) {
  ScrollTo(SB_VERT, NewScrollPosition(m_hWnd, SB_VERT, wParam, 16));
  return 0;
}

const CRuntimeClass CListView::kClass{"CListView", &CView::kClass};
const MessageMap CListView::kMessageMap{
    &CView::kMessageMap,
    {
        OnMessage(WM_PAINT, &CListView::PaintByControl),
    },
};

const CRuntimeClass CTreeView::kClass{"CTreeView", &CView::kClass};
const MessageMap CTreeView::kMessageMap{
    &CView::kMessageMap,
    {
        OnMessage(WM_PAINT, &CTreeView::PaintByControl),
    },
};
