#include "framework/FrameWnd.h"

#include "framework/WinApp.h"

const CRuntimeClass CFrameWnd::kClass{"CFrameWnd", &CWnd::kClass};
const MessageMap CFrameWnd::kMessageMap{&CWnd::kMessageMap, {
    OnWmCreate(&CFrameWnd::OnCreate),
    OnWmInitMenuPopup(&CFrameWnd::OnInitMenuPopup),
}};

bool CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  char text[256] = "";
  LoadStringA(instance, resourceId, text, sizeof text);
  title_ = text;
  title_ = title_.substr(0, title_.find('\n'));

  HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
  const char* cls = RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                  reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
  HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
  if (!cls || !CreateEx(0, cls, title_.c_str(), style & ~FWS_ADDTOTITLE, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, parent, reinterpret_cast<UINT_PTR>(menu))) {
    if (menu) DestroyMenu(menu);
    return false;
  }
  accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
  return true;
}

int CFrameWnd::OnCreate(CREATESTRUCTA* cs) {
  if (Default() == -1) return -1;
  return OnCreateClient(cs) ? 0 : -1;
}

void CFrameWnd::InitialUpdateFrame() { SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, true); }

void CFrameWnd::OnUpdateFrameTitle() { SetWindowText(title_); }

bool CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !accelerators_) return false;
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

void CMenuCmdUI::SetText(const char* text) {
  CCmdUI::SetText(text);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(text ? text : "");
  SetMenuItemInfoA(menu_, index_, TRUE, &info);
}
