#include "menus/SubclassWnd.h"

#include <map>

#include "framework/Wnd.h"

namespace {
// Window handle -> its latest hook. Never destroyed: hooks may unhook during process exit.
std::map<HWND, CSubclassWnd*>& HookMap() {
  static auto& map = *new std::map<HWND, CSubclassWnd*>;
  return map;
}
}  // namespace

const CRuntimeClass CSubclassWnd::kClass{"CSubclassWnd", &CObject::kClass};

CSubclassWnd::~CSubclassWnd() { Unhook(); }

CSubclassWnd* CSubclassWnd::HookOf(HWND hwnd) {
  auto found = HookMap().find(hwnd);
  return found == HookMap().end() ? nullptr : found->second;
}

void CSubclassWnd::HookTo(CWnd* window) {
  Unhook();
  if (!window || !window->m_hWnd) return;
  HWND hwnd = window->m_hWnd;
  auto& map = HookMap();
  auto found = map.find(hwnd);
  nextHook_ = found == map.end() ? nullptr : found->second;
  if (nextHook_) {
    previousProc_ = nextHook_->previousProc_;
  } else {
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::HookProc)));
  }
  map[hwnd] = this;
  window_ = window;
  hwnd_ = hwnd;
}

void CSubclassWnd::Unhook() {
  if (!hwnd_) return;
  auto& map = HookMap();
  auto found = map.find(hwnd_);
  if (found != map.end()) {
    if (found->second == this) {
      if (nextHook_) {
        found->second = nextHook_;
      } else {
        map.erase(found);
        if (IsWindow(hwnd_)) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
      }
    } else {
      for (CSubclassWnd* hook = found->second; hook; hook = hook->nextHook_) {
        if (hook->nextHook_ == this) {
          hook->nextHook_ = nextHook_;
          break;
        }
      }
    }
  }
  window_ = nullptr;
  hwnd_ = nullptr;
  previousProc_ = nullptr;
  nextHook_ = nullptr;
}

LRESULT CSubclassWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (nextHook_) return nextHook_->HandleMessage(message, wParam, lParam);
  return CallWindowProcA(previousProc_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassWnd::HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CSubclassWnd* hook = HookOf(hwnd);
  if (!hook) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Every hook leaves before the window's own procedure sees its last message; that
    // procedure may delete the objects that own the hooks.
    WNDPROC previous = hook->previousProc_;
    while (CSubclassWnd* head = HookOf(hwnd)) head->Unhook();
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
  }
  return hook->HandleMessage(message, wParam, lParam);
}
