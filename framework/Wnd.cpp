#include "framework/Wnd.h"

#include <map>
#include <mutex>

#include "framework/MessageBox.h"
#include "framework/YieldPoint.h"

namespace {
const char kBindingProperty[] = "LumavexWndObject";
}  // namespace

const CRuntimeClass CWnd::kClass{"CWnd", &CCmdTarget::kClass};
const MessageMap CWnd::kMessageMap{&CCmdTarget::kMessageMap, {}};

CWnd::~CWnd() {
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    // The object goes first: keep the window alive but unbound.
    HWND hwnd = m_hWnd;
    if (m_oldProc) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    RemovePropA(hwnd, kBindingProperty);
    m_hWnd = nullptr;
    ::DestroyWindow(hwnd);
  }
}

CWnd* CWnd::FromHandle(HWND hwnd) { return hwnd ? static_cast<CWnd*>(GetPropA(hwnd, kBindingProperty)) : nullptr; }

void CWnd::Attach(HWND hwnd) {
  m_hWnd = hwnd;
  SetPropA(hwnd, kBindingProperty, this);
}

const char* CWnd::RegisterClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  static std::mutex lock;
  static std::map<std::string, std::string> names;
  char key[128];
  wsprintfA(key, "Lvx:%x:%p:%p:%p", classStyle, cursor, background, icon);
  std::lock_guard<std::mutex> hold(lock);
  auto found = names.find(key);
  if (found != names.end()) return found->second.c_str();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = classStyle;
  wc.lpfnWndProc = SharedWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = key;
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  return names.emplace(key, key).first->second.c_str();
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int cx, int cy,
                    CWnd* parent, UINT_PTR idOrMenu) {
  CREATESTRUCTA cs{};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = title;
  cs.style = static_cast<LONG>(style);
  cs.x = x;
  cs.y = y;
  cs.cx = cx;
  cs.cy = cy;
  cs.hwndParent = parent ? parent->m_hWnd : nullptr;
  cs.hMenu = reinterpret_cast<HMENU>(idOrMenu);
  cs.hInstance = GetModuleHandleA(nullptr);
  if (!PreCreateWindow(cs)) return false;

  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  bool ours = GetClassInfoExA(cs.hInstance, cs.lpszClass, &info) && info.lpfnWndProc == SharedWndProc;
  HWND hwnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                              cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, ours ? this : nullptr);
  if (!hwnd) return false;
  if (!ours) SubclassWindow(hwnd);
  return m_hWnd == hwnd;
}

bool CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || FromHandle(hwnd)) return false;
  Attach(hwnd);
  m_oldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SharedWndProc)));
  return true;
}

bool CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

LRESULT CALLBACK CWnd::SharedWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandle(hwnd);
  if (!wnd) {
    if (message != WM_NCCREATE) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    wnd = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (!wnd) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    wnd->Attach(hwnd);
  }
  CurrentMessage saved = wnd->m_current;
  wnd->m_current = {message, wParam, lParam};
  LRESULT result = 0;
  try {
    result = wnd->WindowProc(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's code (out of memory in a handler, say): the
    // message counts as not handled.
    result = FromHandle(hwnd) == wnd ? wnd->DefWindowProc(message, wParam, lParam) : 0;
  }
  if (message == WM_NCDESTROY) {
    wnd->FinishDestroy();
    return result;
  }
  // A handler that destroyed its own window may have ended the object too (PostNcDestroy): it is
  // touched again only while it is still bound to the window.
  if (FromHandle(hwnd) == wnd) wnd->m_current = saved;
  return result;
}

void CWnd::FinishDestroy() {
  HWND hwnd = m_hWnd;
  if (m_oldProc) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
  RemovePropA(hwnd, kBindingProperty);
  m_oldProc = nullptr;
  m_hWnd = nullptr;
  if (quitWhenDestroyed_) PostQuitMessage(0);
  PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (YieldDepth() > 0 && DefersWhileYielding(message, wParam, lParam) &&
      DeferWhileYielding(m_hWnd, message, wParam, lParam))
    return 0;
  if (message == QueuedBoxesMessage()) {
    ShowQueuedMessageBoxes();
    return 0;
  }
  if (OnWndMsg(message, wParam, lParam, &result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_COMMAND) {
    *result = 0;
    return OnWmCommand(wParam, lParam);
  }
  if (message == WM_NOTIFY) return OnWmNotify(wParam, lParam, result);
  const MessageEntry* entry = GetMessageMap().Find(
      [message](const MessageEntry& e) { return e.kind == EntryKind::Message && e.message == message; });
  if (!entry) return false;
  *result = entry->call(*this, wParam, lParam);
  return true;
}

bool CWnd::DefersWhileYielding(UINT message, WPARAM, LPARAM lParam) const {
  // Queued boxes come one after another, never inside another box.
  if (message == QueuedBoxesMessage()) return true;
  // A timer with a procedure of its own is not the window's tick.
  if (message != WM_TIMER || lParam != 0) return false;
  return GetMessageMap().Find(
             [](const MessageEntry& e) { return e.kind == EntryKind::Message && e.message == WM_TIMER; }) != nullptr;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_oldProc) return CallWindowProcA(m_oldProc, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

bool CWnd::OnWmCommand(WPARAM wParam, LPARAM lParam) {
  HWND control = reinterpret_cast<HWND>(lParam);
  UINT id = LOWORD(wParam);
  UINT code = HIWORD(wParam);
  if (control) {
    LRESULT ignored = 0;
    CWnd* child = FromHandle(control);
    if (child && child->OnChildNotify(WM_COMMAND, wParam, lParam, &ignored)) return true;
  } else {
    code = 0;  // menus (0) and accelerators (1) carry the same command
  }
  return OnCmdMsg(id, code, nullptr);
}

bool CWnd::OnWmNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  CWnd* child = FromHandle(header->hwndFrom);
  if (child && child != this && child->OnChildNotify(WM_NOTIFY, wParam, lParam, result)) return true;
  UINT code = header->code;
  UINT id = static_cast<UINT>(header->idFrom);
  const MessageEntry* entry = GetMessageMap().Find(
      [code, id](const MessageEntry& e) { return e.kind == EntryKind::Notify && e.code == code && e.firstId == id; });
  if (!entry) return false;
  *result = entry->call(*this, wParam, lParam);
  return true;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  EntryKind kind = message == WM_NOTIFY ? EntryKind::ReflectedNotify : EntryKind::ReflectedCommand;
  UINT code = message == WM_NOTIFY ? reinterpret_cast<NMHDR*>(lParam)->code : HIWORD(wParam);
  const MessageEntry* entry =
      GetMessageMap().Find([kind, code](const MessageEntry& e) { return e.kind == kind && e.code == code; });
  if (!entry) return false;
  *result = entry->call(*this, wParam, lParam);
  return true;
}

namespace {
void SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, bool deep) {
  for (HWND child = GetTopWindow(parent); child; child = GetNextWindow(child, GW_HWNDNEXT)) {
    ::SendMessageA(child, message, wParam, lParam);
    if (deep) SendToDescendants(child, message, wParam, lParam, true);
  }
}
}  // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, bool deep) {
  SendToDescendants(m_hWnd, message, wParam, lParam, deep);
}

std::string CWnd::GetWindowText() const {
  int length = GetWindowTextLengthA(m_hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(m_hWnd, text.data(), length + 1)));
  return text;
}

RECT CWnd::GetClientRect() const {
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  return rc;
}
