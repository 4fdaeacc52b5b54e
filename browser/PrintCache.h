#pragma once
// The pictures of a print job, decoded and reduced to their printed size, kept per item while the
// pages printed stay near each other. A page more than one away from the page the cache was
// started for starts it again; besides, the pictures held never take more than a byte budget:
// the least recently used go first. Every access is bounds-checked. No <windows.h>.
//
// Ownership: the list view owns its cache; UI thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/PixelBuffer.h"

// One picture in DIB order (bottom row first, B, G, R, rows packed). A picture that could not be
// decoded is held without pixels, so that it is not decoded again for the same pages.
struct PrintPicture {
  PixelBlock bits;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t sourceWidth = 0;  // the size of the photo it was reduced from
  uint32_t sourceHeight = 0;
  uint64_t Bytes() const { return bits ? PackedPictureBytes(width, height) : 0; }
};

class PrintPictureCache {
 public:
  static constexpr uint64_t kDefaultBudget = 96ull << 20;

  explicit PrintPictureCache(uint64_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

  // One empty slot per record; the cache page is 1.
  void Reset(size_t records);
  // Starts the cache again (empty slots) when `page` is more than one page from the cache page,
  // and makes `page` the cache page then; true when it started again.
  bool BeginPage(int page);
  // The picture held for `index`, or null when none is held or the index is out of range.
  const PrintPicture* Find(size_t index);
  // Keeps `picture` for `index`, making room within the budget; null for an index out of range.
  const PrintPicture* Store(size_t index, PrintPicture picture);
  // Drops every picture and every slot.
  void Clear();

  size_t SlotCount() const { return slots_.size(); }
  size_t Held() const;
  uint64_t Bytes() const { return bytes_; }
  int CachePage() const { return cachePage_; }

 private:
  struct Slot {
    PrintPicture picture;
    bool held = false;
    uint64_t lastUse = 0;
  };
  void Drop(Slot& slot);
  void MakeRoom(uint64_t bytes);

  std::vector<Slot> slots_;
  uint64_t budget_;
  uint64_t bytes_ = 0;
  uint64_t clock_ = 0;
  int cachePage_ = 1;
};
