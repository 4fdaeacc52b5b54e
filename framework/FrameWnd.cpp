#include "framework/FrameWnd.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/ControlBars.h"
#include "framework/Print.h"
#include "framework/Splitter.h"
#include "framework/WinApp.h"

namespace {
constexpr UINT WM_SETMESSAGESTRING = 0x0362;
}  // namespace

const CRuntimeClass CFrameWnd::kClass{"CFrameWnd", &CWnd::kClass};
const MessageMap CFrameWnd::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnWmCreate(&CFrameWnd::OnCreate),
        OnWmSize(&CFrameWnd::OnSize),
        OnMessage(WM_SETFOCUS, &CFrameWnd::OnSetFocus),
        OnMessage(WM_ACTIVATE, &CFrameWnd::OnActivate),
        OnWmInitMenuPopup(&CFrameWnd::OnInitMenuPopup),
        OnWmMenuSelect(&CFrameWnd::OnMenuSelect),
        OnMessage(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString),
        OnMessage(WM_CLOSE, &CFrameWnd::OnClose),
        OnCommandRange(ID_NEXT_PANE, ID_PREV_PANE, &CFrameWnd::OnNextPane),
        OnUpdateCommandRange(ID_NEXT_PANE, ID_PREV_PANE, &CFrameWnd::OnUpdateNextPane),
        OnCommandRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CFrameWnd::OnToggleBar),
        OnUpdateCommandRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateToggleBar),
    },
};

bool CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  char text[256] = "";
  LoadStringA(instance, resourceId, text, sizeof text);
  title_ = text;
  title_ = title_.substr(0, title_.find('\n'));

  HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
  const char* cls =
      RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
  HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
  if (!CreateFrame(cls, title_.c_str(), style, parent, menu)) {
    if (menu) DestroyMenu(menu);
    return false;
  }
  accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
  return true;
}

LRESULT CFrameWnd::OnClose(WPARAM, LPARAM) { return Default(); }

int CFrameWnd::OnCreate(CREATESTRUCTA* cs) {
  if (Default() == -1) return -1;
  return OnCreateClient(cs) ? 0 : -1;
}

bool CFrameWnd::CreateFrame(const char* className, const char* title, DWORD style, CWnd* parent, HMENU menu) {
  if (!className || !CreateEx(0, className, title, style & ~FWS_ADDTOTITLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, parent, reinterpret_cast<UINT_PTR>(menu)))
    return false;
  created_ = true;
  return true;
}

CFrameWnd* FrameOf(HWND hwnd) {
  for (HWND h = GetParent(hwnd); h; h = GetParent(h)) {
    CWnd* wnd = CWnd::FromHandle(h);
    if (wnd && wnd->IsKindOf(&CFrameWnd::kClass)) return static_cast<CFrameWnd*>(wnd);
  }
  return nullptr;
}

void CFrameWnd::OnSize(UINT type, int, int) {
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

namespace {
template <class T>
T* ChildOfKind(HWND parent, UINT id) {
  CWnd* wnd = CWnd::FromHandle(GetDlgItem(parent, static_cast<int>(id)));
  return wnd && wnd->IsKindOf(&T::kClass) ? static_cast<T*>(wnd) : nullptr;
}
}  // namespace

CToolBar* CFrameWnd::GetToolBar() const { return ChildOfKind<CToolBar>(m_hWnd, AFX_IDW_TOOLBAR); }
CStatusBar* CFrameWnd::GetStatusBar() const { return ChildOfKind<CStatusBar>(m_hWnd, AFX_IDW_STATUS_BAR); }
CSplitterWnd* CFrameWnd::GetSplitter() const { return ChildOfKind<CSplitterWnd>(m_hWnd, AFX_IDW_PANE_FIRST); }

void CFrameWnd::RecalcLayout() {
  RECT client = GetClientRect();
  if (CStatusBar* bar = GetStatusBar(); bar && IsWindowVisible(bar->m_hWnd)) {
    bar->SendMessage(WM_SIZE);
    RECT r;
    GetWindowRect(bar->m_hWnd, &r);
    client.bottom -= r.bottom - r.top;
  }
  if (CToolBar* bar = GetToolBar(); bar && IsWindowVisible(bar->m_hWnd)) {
    // The toolbar takes a strip along its side; the pane gets the rest. Placed twice: its
    // buttons wrap to the strip's length, which changes the thickness it needs.
    RECT rest = client;
    for (int pass = 0; pass < 2; ++pass) {
      int thickness = bar->Thickness();
      RECT strip = client;
      rest = client;
      switch (bar->DockSide()) {
        case CBRS_ALIGN_BOTTOM: strip.top = rest.bottom = std::max(client.top, client.bottom - thickness); break;
        case CBRS_ALIGN_LEFT: strip.right = rest.left = std::min(client.right, client.left + thickness); break;
        case CBRS_ALIGN_RIGHT: strip.left = rest.right = std::max(client.left, client.right - thickness); break;
        default: strip.bottom = rest.top = std::min(client.bottom, client.top + thickness); break;
      }
      MoveWindow(bar->m_hWnd, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, TRUE);
    }
    client = rest;
  }
  if (HWND pane = GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
    MoveWindow(pane, client.left, client.top, client.right - client.left, std::max<LONG>(0, client.bottom - client.top),
               TRUE);
}

void CFrameWnd::SetActiveView(CWnd* view, bool focus) {
  activeView_ = view;
  if (view && focus && view->m_hWnd) SetFocus(view->m_hWnd);
}

bool CFrameWnd::FocusActiveView() {
  if (!activeView_ || !activeView_->m_hWnd || !IsWindowVisible(activeView_->m_hWnd)) return false;
  HWND focus = GetFocus();
  if (focus != activeView_->m_hWnd && !IsChild(activeView_->m_hWnd, focus)) SetFocus(activeView_->m_hWnd);
  return true;
}

void CFrameWnd::OnSetFocus() {
  if (!FocusActiveView()) Default();
}

LRESULT CFrameWnd::OnActivate(WPARAM state, LPARAM) {
  // The default focuses the frame itself, which passes the focus on; the frame may already
  // have had it, though.
  LRESULT result = Default();
  if (LOWORD(state) != WA_INACTIVE && !IsIconic(m_hWnd)) FocusActiveView();
  return result;
}

void CFrameWnd::SetMessageText(const std::string& text) {
  if (CStatusBar* bar = GetStatusBar()) bar->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT id) { SetMessageText(id ? CommandPrompt(id) : std::string()); }

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
  if (lParam)
    SetMessageText(std::string(reinterpret_cast<const char*>(lParam)));
  else
    SetMessageText(static_cast<UINT>(wParam));
  return 0;
}

void CFrameWnd::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
  if (flags == 0xFFFF && !menu) {
    SetMessageText(AFX_IDS_IDLEMESSAGE);  // the menu closed
  } else if (item == 0 || (flags & (MF_SEPARATOR | MF_POPUP | MF_SYSMENU))) {
    SetMessageText(std::string());
  } else {
    SetMessageText(item);
  }
}

void CFrameWnd::ShowControlBar(CWnd* bar, bool show) {
  if (!bar) return;
  bar->ShowWindow(show ? SW_SHOW : SW_HIDE);
  RecalcLayout();
}

void CFrameWnd::OnToggleBar(UINT id) {
  CWnd* bar = id == ID_VIEW_TOOLBAR ? static_cast<CWnd*>(GetToolBar()) : GetStatusBar();
  if (bar) ShowControlBar(bar, !IsWindowVisible(bar->m_hWnd));
}

void CFrameWnd::OnUpdateToggleBar(CCmdUI& ui) {
  CWnd* bar = ui.id == ID_VIEW_TOOLBAR ? static_cast<CWnd*>(GetToolBar()) : GetStatusBar();
  ui.Enable(bar != nullptr);
  ui.SetCheck(bar && IsWindowVisible(bar->m_hWnd) ? 1 : 0);
}

void CFrameWnd::OnNextPane(UINT id) {
  if (CSplitterWnd* splitter = GetSplitter()) splitter->ActivateNext(id == ID_PREV_PANE);
}

void CFrameWnd::OnUpdateNextPane(CCmdUI& ui) { ui.Enable(activeView_ != nullptr && GetSplitter() != nullptr); }

bool CFrameWnd::OnWmNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->code == TTN_GETDISPINFOA) {
    // Tooltips of the toolbar: the text after the line break of the command's string.
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
    UINT id = (info->uFlags & TTF_IDISHWND) ? static_cast<UINT>(GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)))
                                            : static_cast<UINT>(header->idFrom);
    std::string tip = CommandTooltip(id);
    lstrcpynA(info->szText, tip.c_str(), sizeof info->szText);
    info->lpszText = info->szText;
    *result = 0;
    return true;
  }
  return CWnd::OnWmNotify(wParam, lParam, result);
}

void CFrameWnd::InitialUpdateFrame() { SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, true); }

void CFrameWnd::OnUpdateFrameTitle() { SetWindowText(title_); }

bool CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !accelerators_) return false;
  // Keys of other top-level windows are theirs.
  if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)) return false;
  return TranslateAcceleratorA(m_hWnd, accelerators_, msg) != 0;
}

bool CFrameWnd::OnCmdMsg(UINT id, UINT code, CCmdUI* ui) {
  if (activeView_ && activeView_->OnCmdMsg(id, code, ui)) return true;
  if (CWnd::OnCmdMsg(id, code, ui)) return true;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(id, code, ui);
}

bool CFrameWnd::IsCommandEnabled(UINT id) {
  CCmdUI state(id);
  return state.DoUpdate(this);
}

bool CFrameWnd::OnWmCommand(WPARAM wParam, LPARAM lParam) {
  // Menus, accelerators and toolbar buttons carry out only what their update rule allows.
  bool fromControl = lParam != 0 && HIWORD(wParam) != 0;
  if (!fromControl && !IsCommandEnabled(LOWORD(wParam))) return true;
  return CWnd::OnWmCommand(wParam, lParam);
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, bool systemMenu) {
  if (systemMenu) return;
  int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    UINT id = GetMenuItemID(popup, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and submenus
    CMenuCmdUI item(id, popup, static_cast<UINT>(i));
    item.DoUpdate(this);
    i = static_cast<int>(item.Index());
    count = GetMenuItemCount(popup);
  }
}

void CMenuCmdUI::Enable(bool on) {
  CCmdUI::Enable(on);
  EnableMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void CMenuCmdUI::SetCheck(int state) {
  CCmdUI::SetCheck(state);
  CheckMenuItem(menu_, index_, MF_BYPOSITION | (state ? MF_CHECKED : MF_UNCHECKED));
}

void CMenuCmdUI::SetRadio(bool on) {
  CCmdUI::SetRadio(on);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE;
  if (!GetMenuItemInfoA(menu_, index_, TRUE, &info)) return;
  info.fType = on ? (info.fType | MFT_RADIOCHECK) : (info.fType & ~MFT_RADIOCHECK);
  info.fState = on ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
  SetMenuItemInfoA(menu_, index_, TRUE, &info);
}

void CMenuCmdUI::SetText(const char* newText) {
  CCmdUI::SetText(newText);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(text.c_str());
  SetMenuItemInfoA(menu_, index_, TRUE, &info);
}
