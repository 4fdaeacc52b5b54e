#include "viewer/ViewerList.h"

ViewerState& Viewers() {
  static ViewerState state;
  return state;
}
