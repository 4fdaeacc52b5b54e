#pragma once
// The arithmetic of the slide show: where the composed picture goes, the 17 transition effects as
// lists of rectangles per step, and the bookkeeping of the slide names. Pure functions, no
// <windows.h>, so every step can be checked without a screen.
#include <string>
#include <vector>

#include "image/PictureGeometry.h"

inline constexpr int kTransitionEffects = 17;

// One copy of a step: `width` x `height` pixels from (sourceX, sourceY) of the composed picture
// to (x, y) of the window. Always inside the composed picture on both sides, never empty.
struct SlideBlit {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int sourceX = 0;
  int sourceY = 0;
  bool operator==(const SlideBlit&) const = default;
};

// Effect number for a draw of the generator's value r: r mod 17.
int TransitionEffectOf(int r);
// Number of strips of the interleaved effects (13, 14) for a draw r: r mod 100 within 24 ... 50.
int InterleaveStripsOf(int r);
// Milliseconds to wait after each step of `effect` (0 for the interleaved effects).
int TransitionPause(int effect);

// The copies of step `step` (0, 1, ...) of `effect` on a composed picture of width x height;
// `strips` is the strip count of effects 13 and 14. False when the effect has no such step (it
// ended before). A picture narrower or lower than 2 pixels has one step: the whole picture.
bool TransitionStep(int effect, int width, int height, int strips, int step, std::vector<SlideBlit>& blits);
// Number of steps of `effect` on a picture of width x height.
int TransitionStepCount(int effect, int width, int height, int strips);

using ComposedSize = PictureSize;

// Size at which the show composes a picture of width x height in a client of clientWidth x
// clientHeight on a screen of screenWidth x screenHeight: natural size when the client has exactly
// that size, else the views' fit rule without its small-picture shortcut (scaled to the client,
// or to six sevenths / five sevenths of the screen when the client is smaller, unless the client's
// height times the scale still holds the picture).
ComposedSize SlideComposedSize(int width, int height, int clientWidth, int clientHeight, int screenWidth,
                               int screenHeight);

// The state of a show that the main frame keeps: the file names of the show's pictures, the
// folder they were listed in, and the index of the picture on screen.
struct SlideShowState {
  std::vector<std::string> names;
  std::string folder;
  int index = 0;
  unsigned listing = 0;  // which listing of the folder the names were picked from

  // F2: back by two when at the third picture or later, so the next tick shows the previous one.
  void StepBack() {
    if (index >= 2) index -= 2;
  }
  // A tick: moves to the next picture; false when the show ends there, because the names ran out
  // or fewer items than that are still selected.
  bool Advance(int selectedCount) {
    ++index;
    return index < selectedCount && index < static_cast<int>(names.size());
  }
};
