#include "browser/PrintCache.h"

void PrintPictureCache::Reset(size_t records) {
  Clear();
  slots_.resize(records);
  cachePage_ = 1;
}

void PrintPictureCache::Clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  bytes_ = 0;
}

bool PrintPictureCache::BeginPage(int page) {
  const int distance = page > cachePage_ ? page - cachePage_ : cachePage_ - page;
  if (distance <= 1) return false;
  const size_t records = slots_.size();
  Clear();
  slots_.resize(records);
  cachePage_ = page;
  return true;
}

const PrintPicture* PrintPictureCache::Find(size_t index) {
  if (index >= slots_.size() || !slots_[index].held) return nullptr;
  slots_[index].lastUse = ++clock_;
  return &slots_[index].picture;
}

const PrintPicture* PrintPictureCache::Store(size_t index, PrintPicture picture) {
  if (index >= slots_.size()) return nullptr;
  Drop(slots_[index]);
  MakeRoom(picture.Bytes());
  Slot& slot = slots_[index];
  bytes_ += picture.Bytes();
  slot.picture = std::move(picture);
  slot.held = true;
  slot.lastUse = ++clock_;
  return &slot.picture;
}

size_t PrintPictureCache::Held() const {
  size_t held = 0;
  for (const Slot& slot : slots_) held += slot.held ? 1 : 0;
  return held;
}

void PrintPictureCache::Drop(Slot& slot) {
  if (!slot.held) return;
  bytes_ -= slot.picture.Bytes();
  slot.picture = PrintPicture{};
  slot.held = false;
}

void PrintPictureCache::MakeRoom(uint64_t bytes) {
  while (bytes_ > 0 && bytes_ + bytes > budget_) {
    Slot* oldest = nullptr;
    for (Slot& slot : slots_)
      if (slot.held && slot.picture.bits && (!oldest || slot.lastUse < oldest->lastUse)) oldest = &slot;
    if (!oldest) return;
    Drop(*oldest);
  }
}
