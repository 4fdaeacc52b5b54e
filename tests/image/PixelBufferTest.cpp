#include "image/PixelBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Sequence(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
  return bytes;
}

TEST(AlignRowsToDword, PadsRowsToFourBytesAndCopiesThemInOrder) {
  for (auto [width, expected] : {std::pair{1u, 4u}, {2u, 8u}, {4u, 12u}, {3u, 12u}, {5u, 16u}}) {
    const uint32_t height = 3;
    std::vector<uint8_t> packed = Sequence(width * 3 * height);
    uint32_t rowLength = 0;
    PixelBlock aligned = AlignRowsToDword(packed.data(), width, height, rowLength);
    ASSERT_TRUE(aligned) << width;
    EXPECT_EQ(rowLength, expected) << width;
    for (uint32_t row = 0; row < height; ++row) {
      EXPECT_EQ(std::memcmp(aligned.get() + row * rowLength, packed.data() + row * width * 3, width * 3), 0);
      for (uint32_t pad = width * 3; pad < rowLength; ++pad) EXPECT_EQ(aligned[row * rowLength + pad], 0);
    }
  }
}

TEST(AlignRowsToDword, MissingOrUnallocatableSourceLeavesRowLengthUntouched) {
  uint32_t rowLength = 77;
  EXPECT_FALSE(AlignRowsToDword(nullptr, 4, 4, rowLength));
  EXPECT_EQ(rowLength, 77u);
  // Rows longer than a 32-bit process can hold: refused before any allocation or copy.
  uint8_t pixel[3] = {};
  EXPECT_FALSE(AlignRowsToDword(pixel, 0x40000000u, 1, rowLength));
  EXPECT_FALSE(AlignRowsToDword(pixel, 30000, 30000, rowLength));
  EXPECT_EQ(rowLength, 77u);
}

TEST(FlipRowsVertically, SwapsMirroredRowsAndKeepsTheMiddleOne) {
  std::vector<uint8_t> one = Sequence(6);
  std::vector<uint8_t> before = one;
  EXPECT_TRUE(FlipRowsVertically(one.data(), 6, 1));
  EXPECT_EQ(one, before);

  std::vector<uint8_t> three = {1, 1, 2, 2, 3, 3};
  EXPECT_TRUE(FlipRowsVertically(three.data(), 2, 3));
  EXPECT_EQ(three, (std::vector<uint8_t>{3, 3, 2, 2, 1, 1}));

  std::vector<uint8_t> four = {1, 2, 3, 4, 5, 6, 7, 8};  // padded rows of any length work alike
  EXPECT_TRUE(FlipRowsVertically(four.data(), 2, 4));
  EXPECT_EQ(four, (std::vector<uint8_t>{7, 8, 5, 6, 3, 4, 1, 2}));

  EXPECT_TRUE(FlipRowsVertically(four.data(), 2, 0));
  EXPECT_FALSE(FlipRowsVertically(nullptr, 2, 4));
}

TEST(SwapRedBlue, ExchangesFirstAndThirdByteOfEveryPixel) {
  std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_TRUE(SwapRedBlue(pixels.data(), 2, 2));
  EXPECT_EQ(pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
  EXPECT_TRUE(SwapRedBlue(pixels.data(), 2, 2));
  EXPECT_EQ(pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_FALSE(SwapRedBlue(nullptr, 2, 2));
}

TEST(PixelLayouts, SwapThenFlipConvertsRgbToDibOrderAndBack) {
  // 2 x 2 RGB: top row red, green; bottom row blue, white.
  const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  std::vector<uint8_t> pixels = rgb;
  ASSERT_TRUE(SwapRedBlue(pixels.data(), 2, 2));
  ASSERT_TRUE(FlipRowsVertically(pixels.data(), 6, 2));
  // Bottom row first, B, G, R.
  EXPECT_EQ(pixels, (std::vector<uint8_t>{255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0}));
  ASSERT_TRUE(FlipRowsVertically(pixels.data(), 6, 2));
  ASSERT_TRUE(SwapRedBlue(pixels.data(), 2, 2));
  EXPECT_EQ(pixels, rgb);
}

TEST(PixelSizes, NeverWrapAround) {
  EXPECT_EQ(PackedPictureBytes(300, 200), 180000u);
  EXPECT_EQ(PackedPictureBytes(0xFFFFFFFFu, 0xFFFFFFFFu), UINT64_MAX);
  EXPECT_GT(PackedPictureBytes(0x10000u, 0x10000u), kMaxPixelBytes);  // wraps to 0 in 32 bits
  EXPECT_EQ(AlignedRowLength(0xFFFFFFFFu), (uint64_t{0xFFFFFFFFu} * 3 + 3) / 4 * 4);
}

TEST(AllocatePixels, RefusesBlocksBeyondA32BitProcessAndRecyclesLargeOnes) {
  EXPECT_FALSE(AllocatePixels(kMaxPixelBytes + 1));
  PixelBlock empty = AllocatePixels(0);
  EXPECT_TRUE(empty);

  const size_t large = (3u << 20) + 12345;
  PixelBlock first = AllocatePixels(large);
  ASSERT_TRUE(first);
  std::memset(first.get(), 0xAB, large);
  const uint8_t* address = first.get();
  first.reset();
  // The next request of that size gets the recycled block back, fully usable.
  PixelBlock second = AllocatePixels(large);
  ASSERT_TRUE(second);
  EXPECT_EQ(second.get(), address);
  std::memset(second.get(), 0, large);
  // Two blocks alive at once are distinct.
  PixelBlock third = AllocatePixels(large);
  ASSERT_TRUE(third);
  EXPECT_NE(third.get(), second.get());
  std::memset(third.get(), 1, large);
}

}  // namespace
