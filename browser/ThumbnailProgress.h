#pragma once
// How far the running thumbnail workers have come. Each worker reports the thumbnail files it has
// to make when it begins and counts each one it has dealt with; the main window reads the figures
// of the listed folder's worker on a timer, so no worker sends a message per file. Workers write
// and the user-interface thread reads, under the board's own lock. The board lives in
// BrowserState and is never destroyed: workers that outlive the window still report into it.
#include <windows.h>

#include <map>
#include <string>

#include "framework/Sync.h"

// Posted to the watching window when a worker with files to make begins; wParam and lParam 0.
constexpr UINT kWmThumbnailProgress = WM_APP + 0x60;

struct ThumbnailProgressFigures {
  int done = 0;   // thumbnail files dealt with: made, found made by another thread, or failed
  int total = 0;  // thumbnail files missing when the worker began
};

// "Making thumbnails: 37 of 120". Never more done than there are in all.
std::string ThumbnailProgressText(const ThumbnailProgressFigures& figures);

class ThumbnailProgress {
 public:
  ThumbnailProgress() = default;
  ThumbnailProgress(const ThumbnailProgress&) = delete;
  ThumbnailProgress& operator=(const ThumbnailProgress&) = delete;

  // A worker of `folder` begins with `total` files to make: returns its ticket and tells the
  // watching window.
  unsigned Begin(const std::string& folder, int total);
  void Advance(unsigned ticket);
  void End(unsigned ticket);
  // The figures of the newest running worker of `folder` (paths compare without regard to case);
  // false when none runs.
  bool Of(const std::string& folder, ThumbnailProgressFigures& figures);
  // The window that hears of beginning workers; null for none. Set by the user-interface thread.
  void SetWatcher(HWND window);

 private:
  struct Worker {
    std::string folderKey;
    ThumbnailProgressFigures figures;
  };
  CMutex mutex_;
  std::map<unsigned, Worker> running_;  // by ticket, oldest first
  unsigned nextTicket_ = 0;
  HWND watcher_ = nullptr;
};

// One worker's report for its walk: begun at construction when it has files to make, ended at
// destruction however the walk ends.
class ThumbnailProgressReport {
 public:
  ThumbnailProgressReport(ThumbnailProgress& board, const std::string& folder, int total);
  ~ThumbnailProgressReport();
  ThumbnailProgressReport(const ThumbnailProgressReport&) = delete;
  ThumbnailProgressReport& operator=(const ThumbnailProgressReport&) = delete;

  // One more missing file dealt with.
  void Advance();

 private:
  ThumbnailProgress& board_;
  unsigned ticket_ = 0;
  bool begun_ = false;
};
