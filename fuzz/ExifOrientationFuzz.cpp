// The Exif orientation reader on any segment payload: it answers 1 to 8 and reads nothing outside
// the bytes it is given (the input is copied to a block of exactly its size). The value found
// then turns a small asymmetric picture, and the inverse turn brings the picture back.
#include <cstring>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "image/Orientation.h"

namespace {

int Inverse(int orientation) { return orientation == 6 ? 8 : orientation == 8 ? 6 : orientation; }

void CheckTurn(int orientation) {
  constexpr uint32_t kWidth = 5, kHeight = 3;
  PixelBlock picture = AllocatePixels(PackedPictureBytes(kWidth, kHeight));
  FUZZ_CHECK(picture);
  for (uint32_t i = 0; i < kWidth * kHeight * 3; ++i) picture[i] = static_cast<uint8_t>(i);
  uint32_t width = kWidth, height = kHeight;
  PixelBlock turned = OrientPicture(std::move(picture), width, height, orientation);
  FUZZ_CHECK(turned);
  const bool swaps = OrientationSwapsSides(orientation);
  FUZZ_CHECK(width == (swaps ? kHeight : kWidth) && height == (swaps ? kWidth : kHeight));
  PixelBlock back = OrientPicture(std::move(turned), width, height, Inverse(orientation));
  FUZZ_CHECK(back && width == kWidth && height == kHeight);
  for (uint32_t i = 0; i < kWidth * kHeight * 3; ++i) FUZZ_CHECK(back[i] == static_cast<uint8_t>(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BeginFuzzInput();
  std::vector<uint8_t> segment(data, data + size);  // exactly the input, so a read past it shows
  const int orientation = ExifOrientation(segment.data(), segment.size());
  FUZZ_CHECK(orientation >= 1 && orientation <= 8);
  if (size < 6 || std::memcmp(data, "Exif\0\0", 6) != 0) FUZZ_CHECK(orientation == kOrientationAsStored);
  CheckTurn(orientation);
  return 0;
}
