#include "image/PixelBuffer.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define LUMAVEX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define LUMAVEX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define LUMAVEX_POISON(p, n) ((void)(p), (void)(n))
#define LUMAVEX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// Each block starts with its capacity; the header keeps the pixels aligned as malloc aligns.
struct alignas(16) BlockHeader {
  size_t capacity;
};

void FreeBlock(uint8_t* data) { std::free(reinterpret_cast<BlockHeader*>(data) - 1); }

// Releasing a large block and allocating the next one makes the system return the pages and
// fault them in again (about a quarter of a photo's decode time). A few recently freed large
// blocks are kept, within a total, for the next request that fits one of them.
class Recycler {
 public:
  static constexpr size_t kMinBytes = size_t{1} << 20;
  static constexpr size_t kMaxTotalBytes = size_t{128} << 20;

  uint8_t* Take(size_t bytes) {
    std::lock_guard<std::mutex> hold(lock_);
    int best = -1;
    for (int i = 0; i < kSlots; ++i) {
      const size_t capacity = slots_[i].capacity;
      // At most about twice the request, so a small picture does not pin a huge block.
      if (slots_[i].data && capacity >= bytes && capacity - bytes <= bytes + kMinBytes &&
          (best < 0 || capacity < slots_[best].capacity))
        best = i;
    }
    if (best < 0) return nullptr;
    uint8_t* data = slots_[best].data;
    total_ -= slots_[best].capacity;
    slots_[best] = {};
    LUMAVEX_UNPOISON(data, bytes);
    return data;
  }

  // True when the block was kept; the oldest kept blocks make room for it.
  bool Keep(uint8_t* data, size_t capacity) {
    if (capacity < kMinBytes || capacity > kMaxTotalBytes) return false;
    uint8_t* evicted[kSlots] = {};
    {
      std::lock_guard<std::mutex> hold(lock_);
      for (int n = 0;; ++n) {
        int free = -1, oldest = -1;
        for (int i = 0; i < kSlots; ++i) {
          if (!slots_[i].data)
            free = i;
          else if (oldest < 0 || slots_[i].age < slots_[oldest].age)
            oldest = i;
        }
        if (free >= 0 && total_ + capacity <= kMaxTotalBytes) {
          LUMAVEX_POISON(data, capacity);
          slots_[free] = {data, capacity, ++clock_};
          total_ += capacity;
          break;
        }
        // At most kSlots rounds: with every slot empty the block fits.
        evicted[n] = slots_[oldest].data;
        total_ -= slots_[oldest].capacity;
        slots_[oldest] = {};
      }
    }
    for (uint8_t* block : evicted)
      if (block) FreeBlock(block);
    return true;
  }

 private:
  static constexpr int kSlots = 4;
  struct Slot {
    uint8_t* data = nullptr;
    size_t capacity = 0;
    unsigned long long age = 0;
  };
  std::mutex lock_;
  Slot slots_[kSlots];
  size_t total_ = 0;
  unsigned long long clock_ = 0;
};

Recycler& TheRecycler() {
  static Recycler* recycler = new Recycler;  // never destroyed: blocks may be freed at exit
  return *recycler;
}

}  // namespace

void PixelBlockDeleter::operator()(uint8_t* block) const noexcept {
  if (!block) return;
  BlockHeader* header = reinterpret_cast<BlockHeader*>(block) - 1;
  if (!TheRecycler().Keep(block, header->capacity)) FreeBlock(block);
}

namespace {
std::atomic<uint64_t> g_allocationLimit{0};
}  // namespace

void SetPixelAllocationLimit(uint64_t maxBytes) { g_allocationLimit.store(maxBytes); }

uint64_t PixelMemoryBudget() {
  const uint64_t limit = g_allocationLimit.load();
  return limit != 0 && limit < kMaxPixelBytes ? limit : kMaxPixelBytes;
}

PixelBlock AllocatePixels(uint64_t bytes) {
  if (bytes > kMaxPixelBytes) return nullptr;
  const uint64_t limit = g_allocationLimit.load();
  if (limit != 0 && bytes > limit) return nullptr;
  size_t size = static_cast<size_t>(bytes);
  if (size >= Recycler::kMinBytes) {
    if (uint8_t* reused = TheRecycler().Take(size)) return PixelBlock(reused);
  }
  void* raw = std::malloc(sizeof(BlockHeader) + size);
  if (!raw) return nullptr;
  BlockHeader* header = static_cast<BlockHeader*>(raw);
  header->capacity = size;
  return PixelBlock(reinterpret_cast<uint8_t*>(header + 1));
}

uint64_t PackedPictureBytes(uint32_t width, uint32_t height) {
  const uint64_t pixels = uint64_t{width} * height;  // below 2^64, but three times that may wrap
  return pixels <= UINT64_MAX / 3 ? pixels * 3 : UINT64_MAX;
}

uint64_t AlignedRowLength(uint32_t width) { return (uint64_t{width} * 24 + 31) / 32 * 4; }

PixelBlock AlignRowsToDword(const uint8_t* source, uint32_t width, uint32_t height, uint32_t& paddedRowLength) {
  if (!source) return nullptr;
  const uint64_t padded = AlignedRowLength(width);
  if (padded > kMaxPixelBytes || (height != 0 && padded * height > kMaxPixelBytes)) return nullptr;
  PixelBlock aligned = AllocatePixels(padded * height);
  if (!aligned) return nullptr;
  const size_t packed = size_t{width} * 3;
  const size_t stride = static_cast<size_t>(padded);
  for (uint32_t row = 0; row < height; ++row) {
    uint8_t* to = aligned.get() + row * stride;
    std::memcpy(to, source + row * packed, packed);
    std::memset(to + packed, 0, stride - packed);
  }
  paddedRowLength = static_cast<uint32_t>(padded);
  return aligned;
}

bool FlipRowsVertically(uint8_t* block, size_t rowLength, uint32_t height) {
  if (!block) return false;
  for (uint32_t top = 0, bottom = height; top + 1 < bottom; ++top, --bottom) {
    uint8_t* a = block + top * rowLength;
    uint8_t* b = block + (bottom - 1) * rowLength;
    std::swap_ranges(a, a + rowLength, b);
  }
  return true;
}

bool SwapRedBlue(uint8_t* block, uint32_t width, uint32_t height) {
  if (!block) return false;
  const size_t pixels = size_t{width} * height;
  for (size_t i = 0; i < pixels; ++i) std::swap(block[3 * i], block[3 * i + 2]);
  return true;
}
