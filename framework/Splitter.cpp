#include "framework/Splitter.h"

#include <algorithm>

#include "framework/FrameWnd.h"
#include "framework/View.h"

const CRuntimeClass CSplitterWnd::kClass{"CSplitterWnd", &CWnd::kClass};
const MessageMap CSplitterWnd::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnWmSize(&CSplitterWnd::OnSize),
        OnMessage(WM_PAINT, &CSplitterWnd::OnPaint),
        OnMessage(WM_SETCURSOR, &CSplitterWnd::OnSetCursor),
        OnMessage(WM_LBUTTONDOWN, &CSplitterWnd::OnLButtonDown),
        OnMessage(WM_MOUSEMOVE, &CSplitterWnd::OnMouseMove),
        OnMessage(WM_LBUTTONUP, &CSplitterWnd::OnLButtonUp),
        OnMessage(WM_CAPTURECHANGED, &CSplitterWnd::OnCaptureChanged),
    },
};

std::vector<PaneSpan> LayoutColumns(const std::vector<int>& ideal, int total, int barSize) {
  std::vector<PaneSpan> spans;
  int left = 0;
  for (size_t i = 0; i < ideal.size(); ++i) {
    bool last = i + 1 == ideal.size();
    int room = std::max(0, total - left);
    int width = last ? room : std::clamp(ideal[i], 0, room);
    spans.push_back({left, width});
    left += width + barSize;
  }
  return spans;
}

bool CSplitterWnd::CreateStatic(CWnd* parent, int rows, int columns, DWORD style, UINT id) {
  if (rows < 1 || columns < 1) return false;
  rows_ = rows;
  columns_ = columns;
  columnIdeal_.assign(static_cast<size_t>(columns), 0);
  rowIdeal_.assign(static_cast<size_t>(rows), 0);
  panes_.assign(static_cast<size_t>(rows) * static_cast<size_t>(columns), nullptr);
  RECT rect = parent->GetClientRect();
  const char* cls = RegisterClass(0, LoadCursorA(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  return CreateEx(0, cls, "", style | WS_CLIPCHILDREN, rect, parent, id);
}

bool CSplitterWnd::CreateView(int row, int column, const CRuntimeClass* viewClass, SIZE size) {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_ || !viewClass) return false;
  CObject* made = viewClass->CreateObject();
  if (!made || !made->IsKindOf(&CView::kClass)) {
    delete made;
    return false;
  }
  auto* view = static_cast<CView*>(made);
  RECT rect{0, 0, size.cx, size.cy};
  UINT id = AFX_IDW_PANE_FIRST + static_cast<UINT>(row * 16 + column);
  if (!view->Create(this, id, rect)) {
    delete view;
    return false;
  }
  panes_[static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column)] = view;
  columnIdeal_[static_cast<size_t>(column)] = size.cx;
  rowIdeal_[static_cast<size_t>(row)] = size.cy;
  return true;
}

CWnd* CSplitterWnd::GetPane(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return nullptr;
  return panes_[static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column)];
}

void CSplitterWnd::SetColumnIdeal(int column, int width) {
  columnIdeal_[static_cast<size_t>(column)] = std::max(0, width);
  RecalcLayout();
}

void CSplitterWnd::RecalcLayout() {
  if (!m_hWnd) return;
  RECT client = GetClientRect();
  std::vector<PaneSpan> columns = LayoutColumns(columnIdeal_, client.right, kBarSize);
  std::vector<PaneSpan> rows = LayoutColumns(rowIdeal_, client.bottom, kBarSize);
  HDWP batch = BeginDeferWindowPos(rows_ * columns_);
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < columns_; ++c)
      if (CWnd* pane = GetPane(r, c); pane && pane->m_hWnd)
        batch = DeferWindowPos(batch, pane->m_hWnd, nullptr, columns[static_cast<size_t>(c)].left,
                               rows[static_cast<size_t>(r)].left, columns[static_cast<size_t>(c)].width,
                               rows[static_cast<size_t>(r)].width, SWP_NOZORDER | SWP_NOACTIVATE);
  EndDeferWindowPos(batch);
  RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSplitterWnd::OnSize(UINT, int, int) { RecalcLayout(); }

int CSplitterWnd::BarLeft(int bar) const {
  RECT client = GetClientRect();
  std::vector<PaneSpan> columns = LayoutColumns(columnIdeal_, client.right, kBarSize);
  const PaneSpan& span = columns[static_cast<size_t>(bar)];
  return span.left + span.width;
}

int CSplitterWnd::BarAt(int x) const {
  for (int bar = 0; bar + 1 < columns_; ++bar) {
    int left = BarLeft(bar);
    if (x >= left && x < left + kBarSize) return bar;
  }
  return -1;
}

void CSplitterWnd::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT client = GetClientRect();
  for (int bar = 0; bar + 1 < columns_; ++bar) {
    RECT r{BarLeft(bar), 0, BarLeft(bar) + kBarSize, client.bottom};
    DrawEdge(dc, &r, EDGE_RAISED, BF_LEFT | BF_RIGHT | BF_MIDDLE);
  }
  EndPaint(m_hWnd, &ps);
}

LRESULT CSplitterWnd::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(m_hWnd, &pt);
  if (reinterpret_cast<HWND>(wParam) == m_hWnd && BarAt(pt.x) >= 0) {
    SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
    return TRUE;
  }
  return Default();
}

LRESULT CSplitterWnd::OnLButtonDown(WPARAM, LPARAM lParam) {
  int x = static_cast<short>(LOWORD(lParam));
  int bar = BarAt(x);
  if (bar < 0) return 0;
  draggedBar_ = bar;
  dragOffset_ = x - BarLeft(bar);
  SetCapture(m_hWnd);
  return 0;
}

LRESULT CSplitterWnd::OnMouseMove(WPARAM, LPARAM lParam) {
  if (draggedBar_ < 0) return 0;
  int x = static_cast<short>(LOWORD(lParam)) - dragOffset_;
  RECT client = GetClientRect();
  std::vector<PaneSpan> columns = LayoutColumns(columnIdeal_, client.right, kBarSize);
  // Dragging a bar resizes the column on its left; the columns on its right move with it.
  int column = draggedBar_;
  SetColumnIdeal(column, x - columns[static_cast<size_t>(column)].left);
  UpdateWindow();
  return 0;
}

LRESULT CSplitterWnd::OnLButtonUp(WPARAM, LPARAM) {
  if (draggedBar_ >= 0) ReleaseCapture();
  draggedBar_ = -1;
  return 0;
}

void CSplitterWnd::ActivateNext(bool previous) {
  CFrameWnd* frame = FrameOf(m_hWnd);
  if (!frame || panes_.empty()) return;
  int count = static_cast<int>(panes_.size());
  auto found = std::find(panes_.begin(), panes_.end(), frame->GetActiveView());
  int index = found == panes_.end() ? (previous ? 0 : count - 1) : static_cast<int>(found - panes_.begin());
  for (int step = 1; step <= count; ++step) {
    int next = ((index + (previous ? -step : step)) % count + count) % count;
    if (CWnd* pane = panes_[static_cast<size_t>(next)]) {
      frame->SetActiveView(pane);
      return;
    }
  }
}
