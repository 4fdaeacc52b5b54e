#pragma once
// The thumbnail files that some thread is making right now, shared by the thumbnail workers and
// the list view, so that no two threads ever write one thumbnail file at once, however many run.
// The mutex is held only while the set is read or changed, never while a picture is decoded or
// encoded.
#include <cstddef>
#include <set>
#include <string>

#include "framework/Sync.h"

class ThumbnailClaims {
 public:
  ThumbnailClaims() = default;
  ThumbnailClaims(const ThumbnailClaims&) = delete;
  ThumbnailClaims& operator=(const ThumbnailClaims&) = delete;

  // Claims a thumbnail path for the caller; false when another claim holds it. Paths compare
  // without regard to case, as the file system does.
  bool TryClaim(const std::string& thumbPath);
  // Gives a claim back. A path that is not claimed is ignored.
  void Release(const std::string& thumbPath);
  bool IsClaimed(const std::string& thumbPath);
  size_t Count();

  // Thumbnail files that could not be made since the current listing began. Neither the view nor
  // a worker decodes their images again until the next listing, so that a damaged image whose
  // thumbnail cannot be written shows its warning once per listing, not at every redraw.
  void NoteFailure(const std::string& thumbPath);
  bool FailedThisListing(const std::string& thumbPath);
  // A listing begins: every image may be tried again.
  void BeginListing();

 private:
  CMutex mutex_;
  std::set<std::string> keys_;    // upper-cased paths
  std::set<std::string> failed_;  // upper-cased paths
};

// One claim held for a scope: taken at construction when the path is free, given back at
// destruction only when it was taken.
class ThumbnailClaim {
 public:
  ThumbnailClaim(ThumbnailClaims& claims, std::string thumbPath);
  ~ThumbnailClaim();
  ThumbnailClaim(const ThumbnailClaim&) = delete;
  ThumbnailClaim& operator=(const ThumbnailClaim&) = delete;

  explicit operator bool() const { return held_; }

 private:
  ThumbnailClaims& claims_;
  std::string thumbPath_;
  bool held_;
};
