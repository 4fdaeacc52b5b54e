#pragma once
// The only pane of the slide show window: shows one picture at the window's top-left corner,
// revealed by one of the transition effects on every paint. Created and destroyed with its
// frame; user-interface thread only.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/View.h"
#include "image/Dib.h"

// How the show waits between the steps of a transition. Tests replace it with a clock of their
// own so that transitions run at full speed; null members restore the real clock.
struct SlidePacing {
  uint64_t (*nowMicroseconds)() = nullptr;
  void (*sleep)(unsigned milliseconds) = nullptr;
};
void SetSlidePacing(const SlidePacing& pacing);

// An effect and, for the interleaved ones, its strip count.
struct SlideTransitionChoice {
  int effect = 0;
  int strips = 0;
};
// Draws the next effect from the C library's generator, which the program never seeds, so every
// run shows the same sequence.
SlideTransitionChoice ChooseSlideTransition();

// Draws the composed picture in `source` (width x height at its origin) into `target` with one
// effect: every step copies its rectangles, then waits its pause, counted from the step's start.
// Stops early, with the whole picture drawn, when a key press or a mouse click is waiting in the
// thread's queue. Whatever happened, the whole picture is in place at the end. Returns the number
// of steps drawn.
int RunSlideTransition(HDC target, HDC source, int width, int height, SlideTransitionChoice choice);

class CMySlideShowView : public CScrollView {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Without the client edge of other views: the picture starts at the screen's corner.
  bool Create(CWnd* parent, UINT id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE) override;

  // Loads the picture file at `path` and repaints; an undecodable file shows black.
  void SetImage(const std::string& path);
  const std::string& Path() const { return path_; }
  const CDib* Picture() const { return picture_.get(); }

  void OnInitialUpdate() override;
  void OnDraw(HDC dc) override;
  // Composes the picture for the client area and reveals it with `choice`; the number of steps
  // drawn, or -1 when there was nothing to animate.
  int Present(HDC dc, SlideTransitionChoice choice);

 protected:
  const char* ViewClass() const override;
  LRESULT OnKeyDown(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);

 private:
  std::string path_;
  std::unique_ptr<CDib> picture_;
};
