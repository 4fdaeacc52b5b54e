#pragma once
// Application-wide state that the application object shares with the list view and the
// thumbnail workers. It lives as long as the process and is never destroyed, so that a worker
// still running while the process ends never meets a destroyed object.
#include <string>

#include "browser/ThumbnailClaims.h"
#include "browser/ThumbnailProgress.h"

class CMyListView;

struct BrowserState {
  std::string appFolder;  // the program's folder, without a trailing backslash
  ThumbnailClaims thumbnailClaims;
  ThumbnailProgress thumbnailProgress;  // the workers' figures, read by the main window
  // The Find window as the list view reaches it (supplied by the search module; null: none).
  // Both run on the user-interface thread.
  void (*showFind)(CMyListView& list) = nullptr;  // the Find command
  void (*forgetFindAnnotations)() = nullptr;      // every listing
};

BrowserState& Browser();
