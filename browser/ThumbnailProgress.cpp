#include "browser/ThumbnailProgress.h"

#include <algorithm>

namespace {

// Upper case in the system code page, as the thumbnail claims compare folders.
std::string FolderKey(const std::string& folder) {
  std::string key = folder;
  if (!key.empty()) CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

}  // namespace

std::string ThumbnailProgressText(const ThumbnailProgressFigures& figures) {
  // Files added to the folder after the worker counted can take it past its count.
  const int done = std::min(figures.done, figures.total);
  return "Making thumbnails: " + std::to_string(done) + " of " + std::to_string(figures.total);
}

unsigned ThumbnailProgress::Begin(const std::string& folder, int total) {
  Worker worker{FolderKey(folder), {0, total}};
  HWND watcher = nullptr;
  unsigned ticket = 0;
  {
    CSingleLock lock(mutex_);
    ticket = ++nextTicket_;
    running_.emplace(ticket, std::move(worker));
    watcher = watcher_;
  }
  // Once per worker: the window then reads the figures on its own timer.
  if (watcher) PostMessageA(watcher, kWmThumbnailProgress, 0, 0);
  return ticket;
}

void ThumbnailProgress::Advance(unsigned ticket) {
  CSingleLock lock(mutex_);
  const auto found = running_.find(ticket);
  if (found != running_.end()) ++found->second.figures.done;
}

void ThumbnailProgress::End(unsigned ticket) {
  CSingleLock lock(mutex_);
  running_.erase(ticket);
}

bool ThumbnailProgress::Of(const std::string& folder, ThumbnailProgressFigures& figures) {
  const std::string key = FolderKey(folder);
  CSingleLock lock(mutex_);
  // The newest worker of the folder: an older one is about to end, its listing replaced.
  for (auto worker = running_.rbegin(); worker != running_.rend(); ++worker) {
    if (worker->second.folderKey != key) continue;
    figures = worker->second.figures;
    return true;
  }
  return false;
}

void ThumbnailProgress::SetWatcher(HWND window) {
  CSingleLock lock(mutex_);
  watcher_ = window;
}

ThumbnailProgressReport::ThumbnailProgressReport(ThumbnailProgress& board, const std::string& folder, int total)
    : board_(board) {
  if (total <= 0) return;  // nothing to make: nothing to show
  ticket_ = board_.Begin(folder, total);
  begun_ = true;
}

ThumbnailProgressReport::~ThumbnailProgressReport() {
  if (begun_) board_.End(ticket_);
}

void ThumbnailProgressReport::Advance() {
  if (begun_) board_.Advance(ticket_);
}
