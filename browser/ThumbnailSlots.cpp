#include "browser/ThumbnailSlots.h"

#include <algorithm>

int ThumbnailSlots::SlotCountFor(int itemCount, uint64_t pictureBytes) {
  if (itemCount <= 0) return 0;
  const uint64_t affordable = pictureBytes ? kBudgetBytes / pictureBytes : kBudgetBytes;
  const uint64_t slots = std::max<uint64_t>(affordable, kMinSlots);
  return static_cast<int>(std::min<uint64_t>(slots, static_cast<uint64_t>(itemCount)));
}

void ThumbnailSlots::Reset(int itemCount, int slotCount) {
  itemSlot_.assign(static_cast<size_t>(std::max(itemCount, 0)), -1);
  slotItem_.assign(static_cast<size_t>(std::max(slotCount, 0)), -1);
  slotLastUse_.assign(slotItem_.size(), 0);
  clock_ = 0;
}

int ThumbnailSlots::SlotOf(int item) const {
  if (item < 0 || item >= static_cast<int>(itemSlot_.size())) return -1;
  return itemSlot_[static_cast<size_t>(item)];
}

void ThumbnailSlots::Touch(int item) {
  const int slot = SlotOf(item);
  if (slot >= 0) slotLastUse_[static_cast<size_t>(slot)] = ++clock_;
}

int ThumbnailSlots::Assign(int item, int& evicted) {
  evicted = -1;
  if (item < 0 || item >= static_cast<int>(itemSlot_.size()) || slotItem_.empty()) return -1;
  int slot = SlotOf(item);
  if (slot < 0) {
    // A free slot has never been used (clock 0), so the least recently used one is free if any is.
    slot = static_cast<int>(std::min_element(slotLastUse_.begin(), slotLastUse_.end()) - slotLastUse_.begin());
    evicted = slotItem_[static_cast<size_t>(slot)];
    if (evicted >= 0) itemSlot_[static_cast<size_t>(evicted)] = -1;
    slotItem_[static_cast<size_t>(slot)] = item;
    itemSlot_[static_cast<size_t>(item)] = slot;
  }
  slotLastUse_[static_cast<size_t>(slot)] = ++clock_;
  return slot;
}

void ThumbnailSlots::Release(int item) {
  const int slot = SlotOf(item);
  if (slot < 0) return;
  itemSlot_[static_cast<size_t>(item)] = -1;
  slotItem_[static_cast<size_t>(slot)] = -1;
  slotLastUse_[static_cast<size_t>(slot)] = 0;
}
