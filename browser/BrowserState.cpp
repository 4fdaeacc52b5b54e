#include "browser/BrowserState.h"

BrowserState& Browser() {
  static BrowserState& state = *new BrowserState;  // never destroyed: workers may outlive exit()
  return state;
}
