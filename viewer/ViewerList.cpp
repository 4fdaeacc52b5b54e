#include "viewer/ViewerList.h"

ViewerState& Viewers() {
  // Never destroyed: windows may still be destroyed while the process exits.
  static ViewerState& state = *new ViewerState;
  return state;
}
