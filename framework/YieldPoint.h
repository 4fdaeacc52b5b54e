#pragma once
// Calls that can run a message loop (modal dialogs, message boxes, the print dialog and the print
// loop, context menus, the scanner and mail calls) are yield points. The framework's entry points
// open one for the length of the call. While one is open, relistings, timer ticks and frame closes
// wait: the window that receives one hands it to DeferWhileYielding, and each deferred message is
// posted once when the outermost yield point has closed. After a yield point, windows are reached
// through a WeakWnd, which is empty once the window is gone.
//
// The depth and the queue belong to the thread that opens the yield point (the user-interface
// thread); nothing else touches them.
#include <windows.h>

#include "framework/Wnd.h"

class YieldPoint {
 public:
  YieldPoint();
  ~YieldPoint();
  YieldPoint(const YieldPoint&) = delete;
  YieldPoint& operator=(const YieldPoint&) = delete;
};

// How many yield points are open on this thread.
int YieldDepth();

// While a yield point is open: keeps the message for `hwnd` (once, however often it comes) to be
// posted when the outermost yield point closes, and returns true. False, doing nothing, otherwise.
bool DeferWhileYielding(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A context menu: TrackPopupMenu inside a yield point (its menu loop dispatches messages).
BOOL AfxTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

// Messages deferred so far and not yet posted, for tests.
int DeferredMessageCount();

// A window reached after a yield point: the handle and the object, valid only while the handle
// still maps to that object.
template <class T = CWnd>
class WeakWnd {
 public:
  WeakWnd() = default;
  explicit WeakWnd(T* wnd) : hwnd_(wnd ? wnd->m_hWnd : nullptr), object_(wnd) {}
  T* Get() const { return hwnd_ && CWnd::FromHandle(hwnd_) == object_ ? object_ : nullptr; }
  HWND Handle() const { return Get() ? hwnd_ : nullptr; }
  explicit operator bool() const { return Get() != nullptr; }

 private:
  HWND hwnd_ = nullptr;
  T* object_ = nullptr;
};
