#pragma once
// The open viewer windows in opening order, and the slide show's pause flag. Application-wide
// state that lives as long as the process; only the user-interface thread touches it.
#include <list>

class CWnd;

struct ViewerState {
  // Appended by OpenViewer; each window removes itself when it is destroyed.
  std::list<CWnd*> windows;
  int autoAdvancePaused = 0;
};

ViewerState& Viewers();
