#pragma once
// The only pane of the slide show window: shows one picture at the window's top-left corner,
// revealed by one of the transition effects at its first paint; later paints draw it whole. When
// the picture is whole on screen the view tells its frame, which starts the show's interval.
// Created and destroyed with its frame; user-interface thread only.
#include <cstdint>
#include <memory>
#include <optional>
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

  // Loads the picture file at `path` and repaints; an undecodable file shows black. A library
  // warning is shown in a box afterwards (a yield point: the view may be gone after it).
  void SetImage(const std::string& path);
  // Paints now; a picture that is not painted counts as whole at once.
  void Reveal();
  bool TransitionPending() const { return transitionPending_; }
  const std::string& Path() const { return path_; }
  const CDib* Picture() const { return picture_.get(); }

  void OnInitialUpdate() override;
  void OnDraw(HDC dc) override;
  // Composes the picture for the client area and reveals it with `choice` (without one, draws it
  // whole); the number of steps drawn, or -1 when there was nothing to draw.
  int Present(HDC dc, std::optional<SlideTransitionChoice> choice);

 protected:
  const char* ViewClass() const override;
  LRESULT OnKeyDown(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);

 private:
  void PictureWhole();

  std::string path_;
  std::unique_ptr<CDib> picture_;
  bool transitionPending_ = false;
};
