#pragma once
// Which item's picture each slot of the thumbnail image list holds. The image list has a fixed
// number of slots sized from a byte budget, not one per item: at the largest box a picture takes
// 762 KB, so a slot per item would exhaust a 32-bit process in a folder of a few thousand photos.
// Slots go to the items drawn most recently; an item that loses its slot is drawn again from its
// thumbnail file. Pure bookkeeping, no Windows calls; the list view owns it on its thread.
#include <cstdint>
#include <vector>

class ThumbnailSlots {
 public:
  // Bytes the thumbnail image list may take.
  static constexpr uint64_t kBudgetBytes = 48u << 20;
  // Never fewer slots than this, whatever the box: more than a screen of the largest pictures.
  static constexpr int kMinSlots = 32;

  // Slots for `itemCount` items at pictures of `pictureBytes` each: the budget's worth, at least
  // kMinSlots, never more than the items.
  static int SlotCountFor(int itemCount, uint64_t pictureBytes);

  // Forgets every assignment: `itemCount` items share `slotCount` slots numbered 0 to
  // slotCount - 1.
  void Reset(int itemCount, int slotCount);

  // The slot holding `item`'s picture, or -1.
  int SlotOf(int item) const;
  // Marks `item`'s slot as just used.
  void Touch(int item);
  // Gives `item` a slot to draw into: its own, else a free one, else the least recently used.
  // `evicted` receives the item that lost the slot, or -1. Returns -1 when there are no slots or
  // the item is out of range.
  int Assign(int item, int& evicted);
  // Gives `item`'s slot back (its picture could not be put there).
  void Release(int item);

  int SlotCount() const { return static_cast<int>(slotItem_.size()); }

 private:
  std::vector<int> itemSlot_;          // per item: its slot or -1
  std::vector<int> slotItem_;          // per slot: its item or -1
  std::vector<uint64_t> slotLastUse_;  // per slot: the clock of its last use
  uint64_t clock_ = 0;
};
