#pragma once
// Application-wide state that the application object shares with the list view and the
// thumbnail workers. It lives as long as the process and is never destroyed, so that a worker
// still running while the process ends never meets a destroyed object.
#include <string>

#include "browser/ThumbnailClaims.h"

struct BrowserState {
  std::string appFolder;  // the program's folder, without a trailing backslash
  ThumbnailClaims thumbnailClaims;
};

BrowserState& Browser();
