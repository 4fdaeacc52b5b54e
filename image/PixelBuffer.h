#pragma once
// Blocks of 24-bit pixels and the in-place conversions between their two layouts.
//
// RGB buffer: width x height x 3 bytes, top row first, each pixel R, G, B, rows not padded.
// DIB-order buffer: the same size with the bottom row first and each pixel B, G, R.
// No <windows.h> here: this file also builds with the host compiler for the sanitizer tests.
#include <cstddef>
#include <cstdint>
#include <memory>

// The largest pixel block the program handles: what a 32-bit process could ever allocate.
inline constexpr uint64_t kMaxPixelBytes = 0x7FFFFFFF;

struct PixelBlockDeleter {
  void operator()(uint8_t* block) const noexcept;
};

// An owned pixel block. Every block an operation hands out is one of these; dropping it frees the
// block. Large blocks are recycled by the allocator, so that decoding one photo after another
// does not fault in fresh pages each time.
using PixelBlock = std::unique_ptr<uint8_t[], PixelBlockDeleter>;

// A block of `bytes` bytes with undefined contents, or null when `bytes` exceeds kMaxPixelBytes
// or the memory cannot be had. Zero bytes gives a valid, empty block.
PixelBlock AllocatePixels(uint64_t bytes);

// Allocation-failure seam for tests: while a limit is set, every pixel block larger than it
// fails as if the memory could not be had. 0 (the default) sets no limit. Any thread.
void SetPixelAllocationLimit(uint64_t maxBytes);

// The most one picture and its decoding may take: kMaxPixelBytes, or the test limit while set.
uint64_t PixelMemoryBudget();

// width x height x 3 without wrapping around (UINT64_MAX when it does not fit 64 bits); compare
// with kMaxPixelBytes before trusting it.
uint64_t PackedPictureBytes(uint32_t width, uint32_t height);

// Length of a 24-bit row padded to a multiple of 4 bytes: ((width x 24 + 31) / 32) x 4.
uint64_t AlignedRowLength(uint32_t width);

// A copy of a packed 24-bit block with every row padded to a multiple of 4 bytes, rows in the
// same order; padding bytes are zero. Null (and paddedRowLength untouched) for a missing source
// or a block that cannot be allocated. On success paddedRowLength receives the padded length.
PixelBlock AlignRowsToDword(const uint8_t* source, uint32_t width, uint32_t height, uint32_t& paddedRowLength);

// Exchanges row i with row height - 1 - i. Works on packed or padded rows. False only for a
// missing block.
bool FlipRowsVertically(uint8_t* block, size_t rowLength, uint32_t height);

// Exchanges bytes 0 and 2 of every pixel of a packed block. False only for a missing block.
bool SwapRedBlue(uint8_t* block, uint32_t width, uint32_t height);
