// The JPEG reader on any bytes. A picture it returns has the size it reports, fits the budget,
// and encodes into a file that reads back at that size without a warning; a failure leaves no
// size. A decode shows at most one warning box. The same bytes are also read reduced to a width
// taken from the input's last byte: the reduced picture has the exact target size (or the full
// size when the target does not reduce) and the full size the whole read found.
#include "fuzz/FuzzSupport.h"
#include "image/ImagePlatformHost.h"
#include "image/JpegFile.h"
#include "image/Reduce.h"

namespace {

// Pictures up to this size are also encoded and read back.
constexpr uint64_t kRoundTripBytes = 1 << 20;

void CheckRoundTrip(const uint8_t* rgb, uint32_t width, uint32_t height) {
  const std::string path = ScratchPath("written.jpg");
  FUZZ_CHECK(WriteJpegRgb(path.c_str(), rgb, width, height, 75));
  image_platform::ClearHostMessages();
  uint32_t w = 0, h = 0;
  PixelBlock again = ReadJpegRgb(path.c_str(), w, h);
  FUZZ_CHECK(again && w == width && h == height);
  FUZZ_CHECK(image_platform::HostMessages().empty());
}

void CheckScaledRead(const std::string& path, uint8_t share, const uint8_t* full, uint32_t fullWidth,
                     uint32_t fullHeight) {
  image_platform::ClearHostMessages();
  uint32_t target = 0;
  ScaledJpeg read = ReadJpegRgbScaled(path.c_str(), [&target, share](uint32_t width, uint32_t) {
    // From a 64th of the width up to a little over the whole width.
    target = static_cast<uint32_t>(uint64_t{width} * (1u + share % 72u) / 64u);
    return target;
  });
  FUZZ_CHECK(image_platform::HostMessages().size() <= 1);
  if (!read.pixels) {
    FUZZ_CHECK(read.width == 0 && read.height == 0 && read.sourceWidth == 0 && read.sourceHeight == 0);
    return;
  }
  CheckPictureBlock(read.pixels.get(), read.width, read.height);
  const int d = read.scaleDenominator;
  FUZZ_CHECK(d == 1 || d == 2 || d == 4 || d == 8);
  const uint32_t targetHeight = ReducedHeight(target, read.sourceWidth, read.sourceHeight);
  if (target > 0 && target < read.sourceWidth && targetHeight > 0) {
    FUZZ_CHECK(read.width == target && read.height == targetHeight);
  } else {
    FUZZ_CHECK(d == 1 && read.width == read.sourceWidth && read.height == read.sourceHeight);
  }
  if (full) {
    FUZZ_CHECK(read.sourceWidth == fullWidth && read.sourceHeight == fullHeight);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BeginFuzzInput();
  const std::string path = WriteScratchFile("input.jpg", data, size);
  uint32_t width = 7, height = 7;
  PixelBlock rgb = ReadJpegRgb(path.c_str(), width, height);
  FUZZ_CHECK(image_platform::HostMessages().size() <= 1);
  if (!rgb) FUZZ_CHECK(width == 0 && height == 0);
  CheckScaledRead(path, size > 0 ? data[size - 1] : 0, rgb.get(), width, height);
  if (!rgb) return 0;
  const uint64_t bytes = CheckPictureBlock(rgb.get(), width, height);
  if (bytes <= kRoundTripBytes) CheckRoundTrip(rgb.get(), width, height);
  return 0;
}
