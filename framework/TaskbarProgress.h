#pragma once
// Progress on a window's taskbar button, where the shell offers it (its taskbar list interface);
// where it does not, as on older systems, every call does nothing and the program goes on without
// it. Owned by the window's object; user-interface thread only, with the component object library
// initialised there.
#include <windows.h>

struct ITaskbarList3;

class CTaskbarProgress {
 public:
  CTaskbarProgress() = default;
  ~CTaskbarProgress();
  CTaskbarProgress(const CTaskbarProgress&) = delete;
  CTaskbarProgress& operator=(const CTaskbarProgress&) = delete;

  // Shows `done` of `total` on the button of `window`.
  void Show(HWND window, int done, int total);
  // Takes the progress off the button.
  void Clear(HWND window);
  // Whether the shell offers taskbar progress (asked on first use).
  bool Available();
  // Sent to top-level windows when the shell has made their button anew (after the shell
  // restarted): what was shown on the old button must be shown again.
  static UINT ButtonCreatedMessage();

 private:
  ITaskbarList3* list_ = nullptr;
  bool asked_ = false;
};
