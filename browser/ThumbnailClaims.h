#pragma once
// The thumbnail files that some thread is making right now, shared by the thumbnail workers and
// the list view, so that no two threads ever write one thumbnail file at once, however many run.
// The mutex is held only while the set is read or changed, never while a picture is decoded or
// encoded.
#include <cstddef>
#include <map>
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

  // Images whose thumbnail file could not be made since the current listing began. Neither the
  // view nor a worker decodes them again until the next listing, so that a damaged image whose
  // thumbnail cannot be written shows its warning once per listing, not at every redraw. Kept by
  // image, not by thumbnail file: a.jpg failing must not stop a.old.jpg making the a.cpg they share.
  void NoteFailure(const std::string& imagePath);
  bool FailedThisListing(const std::string& imagePath);
  // A listing of `folder` begins: every image may be tried again, and a worker still busy with an
  // earlier listing of the same folder ends early (the new listing starts a worker of its own, so
  // repeated listings of a big folder do not pile up workers that all search it).
  void BeginListing(const std::string& folder);
  // How many listings of `folder` have begun; a worker remembers it when it starts.
  unsigned ListingsOf(const std::string& folder);

 private:
  CMutex mutex_;
  std::set<std::string> keys_;                // upper-cased paths
  std::set<std::string> failed_;              // upper-cased image paths
  std::map<std::string, unsigned> listings_;  // by upper-cased folder
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
