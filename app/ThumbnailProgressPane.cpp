#include "app/ThumbnailProgressPane.h"

#include "browser/BrowserState.h"
#include "framework/ControlBars.h"

void ThumbnailProgressPane::Attach(HWND frame, CStatusBar* bar, int pane) {
  frame_ = frame;
  bar_ = bar;
  pane_ = pane;
}

void ThumbnailProgressPane::Update(const std::string& listedFolder) {
  ThumbnailProgressFigures figures;
  if (!listedFolder.empty() && Browser().thumbnailProgress.Of(listedFolder, figures))
    Show(figures);
  else
    Clear();
}

void ThumbnailProgressPane::Show(const ThumbnailProgressFigures& figures) {
  if (bar_) bar_->SetPaneText(pane_, ThumbnailProgressText(figures));
  if (figures.done != onTaskbar_.done || figures.total != onTaskbar_.total) {
    taskbar_.Show(frame_, figures.done, figures.total);
    onTaskbar_ = figures;
  }
  if (!ticking_) ticking_ = SetTimer(frame_, kTimer, kPeriod, nullptr) != 0;
}

void ThumbnailProgressPane::Clear() {
  if (bar_) bar_->SetPaneText(pane_, std::string());
  if (onTaskbar_.total != 0) {
    taskbar_.Clear(frame_);
    onTaskbar_ = ThumbnailProgressFigures{};
  }
  if (ticking_) KillTimer(frame_, kTimer);
  ticking_ = false;
}
