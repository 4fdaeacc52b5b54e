#include "browser/ThumbnailClaims.h"

#include <windows.h>

#include <utility>

#include "browser/FileNames.h"

namespace {

// Letters beyond ASCII fold as file names do.
std::string ClaimKey(const std::string& thumbPath) { return UpperCaseName(thumbPath); }

}  // namespace

bool ThumbnailClaims::TryClaim(const std::string& thumbPath) {
  std::string key = ClaimKey(thumbPath);
  CSingleLock lock(mutex_);
  return keys_.insert(std::move(key)).second;
}

void ThumbnailClaims::Release(const std::string& thumbPath) {
  const std::string key = ClaimKey(thumbPath);
  CSingleLock lock(mutex_);
  keys_.erase(key);
}

bool ThumbnailClaims::IsClaimed(const std::string& thumbPath) {
  const std::string key = ClaimKey(thumbPath);
  CSingleLock lock(mutex_);
  return keys_.count(key) != 0;
}

size_t ThumbnailClaims::Count() {
  CSingleLock lock(mutex_);
  return keys_.size();
}

void ThumbnailClaims::NoteFailure(const std::string& imagePath) {
  std::string key = ClaimKey(imagePath);
  CSingleLock lock(mutex_);
  failed_.insert(std::move(key));
}

bool ThumbnailClaims::FailedThisListing(const std::string& imagePath) {
  const std::string key = ClaimKey(imagePath);
  CSingleLock lock(mutex_);
  return failed_.count(key) != 0;
}

void ThumbnailClaims::BeginListing(const std::string& folder) {
  std::string key = ClaimKey(folder);
  CSingleLock lock(mutex_);
  failed_.clear();
  ++listings_[std::move(key)];
}

unsigned ThumbnailClaims::ListingsOf(const std::string& folder) {
  const std::string key = ClaimKey(folder);
  CSingleLock lock(mutex_);
  const auto found = listings_.find(key);
  return found == listings_.end() ? 0 : found->second;
}

ThumbnailClaim::ThumbnailClaim(ThumbnailClaims& claims, std::string thumbPath)
    : claims_(claims), thumbPath_(std::move(thumbPath)), held_(claims.TryClaim(thumbPath_)) {}

ThumbnailClaim::~ThumbnailClaim() {
  if (held_) claims_.Release(thumbPath_);
}
