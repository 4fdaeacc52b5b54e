#pragma once
// The open viewer windows in opening order. Application-wide
// state that lives as long as the process; only the user-interface thread touches it.
#include <list>

class CWnd;

struct ViewerState {
  // Appended by OpenViewer; each window removes itself when it is destroyed.
  std::list<CWnd*> windows;
};

ViewerState& Viewers();
