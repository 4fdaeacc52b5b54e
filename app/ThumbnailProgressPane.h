#pragma once
// The progress of the listed folder's thumbnail worker, in a pane of the status bar and on the
// taskbar button. A worker that begins wakes it (kWmThumbnailProgress to the frame); it then reads
// the worker's figures on a timer of the frame, a few times a second, and stops when no worker of
// the listed folder runs, clearing the pane. Workers of other folders are not shown. Owned by the
// main frame; user-interface thread only.
#include <string>

#include "browser/ThumbnailProgress.h"
#include "framework/TaskbarProgress.h"

class CStatusBar;

class ThumbnailProgressPane {
 public:
  static constexpr UINT_PTR kTimer = 2;  // on the frame, beside the slide timer (1)
  static constexpr UINT kPeriod = 250;

  // Shows the progress of `frame`'s workers in pane `pane` of `bar`, which live as long as this.
  void Attach(HWND frame, CStatusBar* bar, int pane);
  // Looks at the worker of `listedFolder` now, and keeps looking on the timer while it runs.
  void Update(const std::string& listedFolder);
  // The shell made the taskbar button anew: show the figures on it again.
  void TaskbarButtonCreated() { onTaskbar_ = ThumbnailProgressFigures{-1, -1}; }
  bool Ticking() const { return ticking_; }

 private:
  void Show(const ThumbnailProgressFigures& figures);
  void Clear();

  HWND frame_ = nullptr;
  CStatusBar* bar_ = nullptr;
  int pane_ = 0;
  bool ticking_ = false;
  CTaskbarProgress taskbar_;
  ThumbnailProgressFigures onTaskbar_{-1, -1};  // what the button shows; total 0: nothing
};
