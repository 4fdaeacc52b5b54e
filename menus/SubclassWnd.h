#pragma once
// Hooks a window's procedure so that an object sees its messages before the window does. Several
// hooks may sit on one window: the process-wide hook map names the latest, and each hook passes
// messages on to the one installed before it. Created and used on the user-interface thread
// only; the owner of a hook destroys it, which unhooks it.
#include <windows.h>

#include "framework/Object.h"

class CWnd;

class CSubclassWnd : public CObject {
 public:
  LUMAVEX_RUNTIME_CLASS

  CSubclassWnd() = default;
  ~CSubclassWnd() override;
  CSubclassWnd(const CSubclassWnd&) = delete;
  CSubclassWnd& operator=(const CSubclassWnd&) = delete;

  // Hooks this object to `window`; null unhooks it, from the head or the middle of the chain.
  void HookTo(CWnd* window);
  bool IsHooked() const { return hwnd_ != nullptr; }
  HWND HookedWindow() const { return hwnd_; }
  CWnd* Window() const { return window_; }

  // The latest hook on `hwnd`, or null.
  static CSubclassWnd* HookOf(HWND hwnd);

 protected:
  // Default: passes the message on to the earlier hook or the window's own procedure.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Unhook();

  CWnd* window_ = nullptr;
  HWND hwnd_ = nullptr;
  WNDPROC previousProc_ = nullptr;
  CSubclassWnd* nextHook_ = nullptr;
};
