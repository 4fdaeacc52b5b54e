#pragma once
// Application-wide state that the application object shares with the list view and the
// thumbnail workers. It lives as long as the process.
#include <string>

#include "browser/ThumbnailClaims.h"

struct BrowserState {
  std::string appFolder;  // the program's folder, without a trailing backslash
  ThumbnailClaims thumbnailClaims;
};

BrowserState& Browser();
