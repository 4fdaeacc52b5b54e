#include "framework/YieldPoint.h"

#include <new>
#include <vector>

namespace {

struct Deferred {
  WeakWnd<> target;
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

struct YieldState {
  int depth = 0;
  std::vector<Deferred> queue;
};

YieldState& State() {
  thread_local YieldState state;
  return state;
}

}  // namespace

YieldPoint::YieldPoint() { ++State().depth; }

YieldPoint::~YieldPoint() {
  YieldState& s = State();
  if (--s.depth > 0) return;
  // Taken out first: a window that gets its message may open a yield point of its own.
  std::vector<Deferred> due;
  due.swap(s.queue);
  for (const Deferred& d : due)
    if (d.target.Get()) PostMessageA(d.hwnd, d.message, d.wParam, d.lParam);
}

int YieldDepth() { return State().depth; }

bool DeferWhileYielding(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  YieldState& s = State();
  if (s.depth <= 0 || !hwnd) return false;
  for (const Deferred& d : s.queue)
    if (d.hwnd == hwnd && d.message == message && d.wParam == wParam && d.lParam == lParam) return true;
  try {
    s.queue.push_back({WeakWnd<>(CWnd::FromHandle(hwnd)), hwnd, message, wParam, lParam});
  } catch (const std::bad_alloc&) {
    // No room to keep it: the message is dropped rather than run inside the nested loop.
  }
  return true;
}

BOOL AfxTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  YieldPoint menuLoop;
  return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

int DeferredMessageCount() { return static_cast<int>(State().queue.size()); }
