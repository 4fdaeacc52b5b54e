#include "browser/BrowserState.h"

BrowserState& Browser() {
  static BrowserState state;
  return state;
}
