#include "viewer/ViewerList.h"

ViewerState& Viewers() {
  static ViewerState& state = *new ViewerState;
  return state;
}
