#pragma once
// Shrinking a 24-bit picture in place by area averaging (box filter), for thumbnails and the
// wallpaper. No <windows.h>: also built with the host compiler.
#include <cstdint>
#include <memory>
#include <vector>

// Weights of one source pixel along an axis. w1 > 0: the pixel straddles a target boundary and
// gives w1 to the next target pixel; w1 == -1: the target pixel ends with this source pixel.
struct BoxWeight {
  float w0 = 0;
  float w1 = 0;
};

// Maps n source pixels onto m target pixels (m <= n): n pairs of weights, m completions.
std::vector<BoxWeight> BuildBoxWeights(uint32_t n, uint32_t m);

// Height of a width x height picture reduced to `target` columns: trunc(target / w x h) with w
// and h taken as single-precision floats and the arithmetic in double. Callers that read the
// reduced block must use this to know its row count.
uint32_t ReducedHeight(uint32_t target, uint32_t width, uint32_t height);

// Reduces an RGB or DIB-order block of width x height to target x ReducedHeight(...) pixels; the
// start of the block then holds the reduced picture, packed, in the same row and byte order.
// False, with the block unchanged, for a missing block, a zero target or reduced height, a
// target that would enlarge the picture, or scratch rows that cannot be allocated (they come
// from AllocatePixels). Never throws.
bool ReduceToWidth(uint8_t* block, uint32_t width, uint32_t height, uint32_t target);

// The same to an exact target x targetHeight, for a caller that fixed the height from another
// size of the same picture (its full size, when the block is a scaled-down decoding of it).
// False, with the block unchanged, as above, and for a target that would enlarge either side.
bool ReduceToSize(uint8_t* block, uint32_t width, uint32_t height, uint32_t target, uint32_t targetHeight);

// The same reduction of a picture fed a band of rows at a time, top row first, into a block of its
// own, so that the whole picture never needs to exist: fed every row, the output holds exactly the
// pixels ReduceToSize leaves, whatever the bands. Scratch rows come from AllocatePixels.
class RowReducer {
 public:
  RowReducer();
  ~RowReducer();
  RowReducer(const RowReducer&) = delete;
  RowReducer& operator=(const RowReducer&) = delete;

  // Prepares the reduction of width x height to target x targetHeight into `output`, which holds
  // target x targetHeight x 3 bytes. False, and Feed does nothing, as ReduceToSize refuses, or
  // when the scratch rows cannot be had.
  bool Start(uint32_t width, uint32_t height, uint32_t target, uint32_t targetHeight, uint8_t* output) noexcept;
  // The next `count` rows of the picture, packed RGB (or DIB order) rows.
  void Feed(const uint8_t* rows, uint32_t count);
  // After the last row: output rows that no source row completed are made black.
  void Finish();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The two instances: the target is the thumbnail box width or the wallpaper width.
bool ReduceToThumbnailWidth(uint8_t* block, uint32_t width, uint32_t height);
bool ReduceToWallpaperWidth(uint8_t* block, uint32_t width, uint32_t height);
