#include "framework/ControlBars.h"

#include <algorithm>

#include "framework/FrameWnd.h"

namespace {

std::string ResourceString(UINT id) {
  char text[512] = "";
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}

}  // namespace

DWORD NearestDockSide(POINT point, const RECT& client, DWORD allowed) {
  const struct {
    DWORD side;
    LONG distance;
  } sides[] = {{CBRS_ALIGN_TOP, point.y - client.top},
               {CBRS_ALIGN_BOTTOM, client.bottom - point.y},
               {CBRS_ALIGN_LEFT, point.x - client.left},
               {CBRS_ALIGN_RIGHT, client.right - point.x}};
  DWORD best = 0;
  LONG bestDistance = 0;
  for (const auto& s : sides) {
    if (!(allowed & s.side)) continue;
    LONG distance = std::abs(s.distance);
    if (!best || distance < bestDistance) {
      best = s.side;
      bestDistance = distance;
    }
  }
  return best;
}

std::string CommandPrompt(UINT id) {
  std::string text = ResourceString(id);
  return text.substr(0, text.find('\n'));
}

std::string CommandTooltip(UINT id) {
  std::string text = ResourceString(id);
  size_t cut = text.find('\n');
  return cut == std::string::npos ? std::string() : text.substr(cut + 1);
}

bool ReadToolbarResource(HINSTANCE instance, UINT id, ToolbarResource& out) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kToolbarResourceType));
  if (!found) return false;
  HGLOBAL loaded = LoadResource(instance, found);
  const auto* words = static_cast<const WORD*>(LockResource(loaded));
  DWORD bytes = SizeofResource(instance, found);
  if (!words || bytes < 8) return false;
  size_t count = words[3];
  if (bytes < 8 + 2 * count) return false;
  out.imageWidth = words[1];
  out.imageHeight = words[2];
  out.items.assign(words + 4, words + 4 + count);
  return true;
}

const CRuntimeClass CToolBar::kClass{"CToolBar", &CWnd::kClass};
const MessageMap CToolBar::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnMessage(WM_IDLEUPDATECMDUI, &CToolBar::OnIdleUpdate),
        OnReflectedNotify(TBN_HOTITEMCHANGE, &CToolBar::OnHotItemChange),
        OnMessage(WM_LBUTTONDOWN, &CToolBar::OnLButtonDown),
        OnMessage(WM_MOUSEMOVE, &CToolBar::OnMouseMove),
        OnMessage(WM_LBUTTONUP, &CToolBar::OnLButtonUp),
        OnMessage(WM_CAPTURECHANGED, &CToolBar::OnCaptureChanged),
    },
};

bool CToolBar::Create(CWnd* parent, DWORD style, UINT id) {
  barStyle_ = style & (CBRS_ALIGN_ANY | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
  dockSide_ = (style & CBRS_ALIGN_ANY) ? (style & CBRS_ALIGN_ANY) : CBRS_ALIGN_TOP;
  // The frame places the bar: the control neither sizes nor aligns itself.
  DWORD windowStyle = (style & (WS_CHILD | WS_VISIBLE)) | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER |
                      TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE;
  if (!CreateEx(0, TOOLBARCLASSNAMEA, "", windowStyle, 0, 0, 0, 0, parent, id)) return false;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  return true;
}

bool CToolBar::LoadToolBar(UINT id) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  ToolbarResource resource;
  if (!ReadToolbarResource(instance, id, resource)) return false;
  // Standard button colours in the bitmap become the current system colours.
  HBITMAP bitmap = CreateMappedBitmap(instance, static_cast<INT_PTR>(id), 0, nullptr, 0);
  if (!bitmap) return false;
  int images = static_cast<int>(
      std::count_if(resource.items.begin(), resource.items.end(), [](UINT item) { return item != 0; }));
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(resource.imageWidth, resource.imageHeight));
  SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(resource.imageWidth + 7, resource.imageHeight + 7));
  TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(bitmap)};
  if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&add)) < 0) return false;
  std::vector<TBBUTTON> buttons;
  int image = 0;
  for (UINT item : resource.items) {
    TBBUTTON button{};
    if (item == 0) {
      button.fsStyle = TBSTYLE_SEP;
      button.iBitmap = 6;
    } else {
      button.iBitmap = image++;
      button.idCommand = static_cast<int>(item);
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = TBSTYLE_BUTTON;
    }
    buttons.push_back(button);
  }
  SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SetDockSide(dockSide_);
  return true;
}

void CToolBar::SetDockSide(DWORD side) {
  dockSide_ = side;
  if (CFrameWnd* frame = FrameOf(m_hWnd)) frame->RecalcLayout();
}

int CToolBar::Thickness() const {
  // The buttons wrap to the bar's length: one column at a side, rows as needed at the top and
  // bottom.
  LRESULT button = SendMessage(TB_GETBUTTONSIZE);
  if (Vertical()) return LOWORD(button) + 4;
  int rows = std::max(1, static_cast<int>(SendMessage(TB_GETROWS)));
  return HIWORD(button) * rows + 4;
}

LRESULT CToolBar::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  // A press between the buttons picks the bar up; one on a button is the button's.
  if (!docking_ || SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)) >= 0) return Default();
  dragging_ = true;
  SetCapture(m_hWnd);
  return 0;
}

LRESULT CToolBar::OnMouseMove(WPARAM, LPARAM) {
  if (!dragging_) return Default();
  SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
  return 0;
}

LRESULT CToolBar::OnLButtonUp(WPARAM, LPARAM lParam) {
  if (!dragging_) return Default();
  dragging_ = false;
  ReleaseCapture();
  HWND frame = GetParent(m_hWnd);
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(m_hWnd, frame, &point, 1);
  RECT client;
  ::GetClientRect(frame, &client);
  DWORD allowed = docking_;
  if (CFrameWnd* owner = FrameOf(m_hWnd)) allowed &= owner->DockingSides();
  if (DWORD side = NearestDockSide(point, client, allowed); side && side != dockSide_) SetDockSide(side);
  return 0;
}

UINT CToolBar::ButtonId(int index) const {
  TBBUTTON button{};
  SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
  return static_cast<UINT>(button.idCommand);
}

void CToolBar::UpdateButtons() {
  CFrameWnd* frame = FrameOf(m_hWnd);
  if (!frame) return;
  int count = ButtonCount();
  for (int i = 0; i < count; ++i) {
    UINT id = ButtonId(i);
    if (id == 0) continue;
    CToolCmdUI button(id, m_hWnd);
    button.DoUpdate(frame);
  }
}

LRESULT CToolBar::OnIdleUpdate(WPARAM, LPARAM) {
  if (IsWindowVisible(m_hWnd)) UpdateButtons();
  return 0;
}

void CToolBar::OnHotItemChange(NMHDR* header, LRESULT* result) {
  *result = 0;
  if (!(barStyle_ & CBRS_FLYBY)) return;
  auto* change = reinterpret_cast<NMTBHOTITEM*>(header);
  CFrameWnd* frame = FrameOf(m_hWnd);
  if (!frame) return;
  if (change->dwFlags & HICF_LEAVING)
    frame->SetMessageText(AFX_IDS_IDLEMESSAGE);
  else
    frame->SetMessageText(static_cast<UINT>(change->idNew));
}

void CToolCmdUI::Enable(bool on) {
  CCmdUI::Enable(on);
  SendMessageA(toolbar_, TB_ENABLEBUTTON, id, MAKELPARAM(on ? TRUE : FALSE, 0));
}

void CToolCmdUI::SetCheck(int state) {
  CCmdUI::SetCheck(state);
  SendMessageA(toolbar_, TB_CHECKBUTTON, id, MAKELPARAM(state ? TRUE : FALSE, 0));
}

const CRuntimeClass CStatusBar::kClass{"CStatusBar", &CWnd::kClass};
const MessageMap CStatusBar::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnWmSize(&CStatusBar::OnSize),
        OnMessage(WM_IDLEUPDATECMDUI, &CStatusBar::OnIdleUpdate),
    },
};

bool CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
  return CreateEx(0, STATUSCLASSNAMEA, "", (style & (WS_CHILD | WS_VISIBLE)) | SBARS_SIZEGRIP, 0, 0, 0, 0, parent, id);
}

bool CStatusBar::SetIndicators(const UINT* ids, int count) {
  indicators_.assign(ids, ids + count);
  widths_.clear();
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  for (UINT id : indicators_) {
    std::string text = id ? ResourceString(id) : std::string();
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    widths_.push_back(id ? extent.cx + 12 : 0);
  }
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);
  LayoutParts();
  return true;
}

void CStatusBar::LayoutParts() {
  if (indicators_.empty()) return;
  RECT client = GetClientRect();
  int right = client.right - GetSystemMetrics(SM_CXVSCROLL);  // room for the size grip
  std::vector<int> edges(indicators_.size());
  for (size_t i = indicators_.size(); i-- > 1;) {
    edges[i] = right;
    right -= widths_[i];
  }
  edges[0] = std::max(0, right);
  if (edges.size() > 1) edges.back() = -1;  // the last part reaches the edge
  SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::OnSize(UINT, int, int) {
  Default();
  LayoutParts();
}

void CStatusBar::SetPaneText(int index, const std::string& text) {
  if (GetPaneText(index) == text) return;  // no flicker from idle updates
  SendMessage(SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

std::string CStatusBar::GetPaneText(int index) const {
  int length = LOWORD(SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(index)));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessage(SB_GETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

LRESULT CStatusBar::OnIdleUpdate(WPARAM, LPARAM) {
  for (size_t i = 1; i < indicators_.size(); ++i) {
    int key = 0;
    switch (indicators_[i]) {
      case 59137: key = VK_CAPITAL; break;
      case 59138: key = VK_NUMLOCK; break;
      case 59139: key = VK_SCROLL; break;
      default: continue;
    }
    SetPaneText(static_cast<int>(i), (GetKeyState(key) & 1) ? ResourceString(indicators_[i]) : std::string());
  }
  return 0;
}
