// The JPEG reader on any bytes. A picture it returns has the size it reports, fits the budget,
// and encodes into a file that reads back at that size without a warning; a failure leaves no
// size. A decode shows at most one warning box.
#include "fuzz/FuzzSupport.h"
#include "image/ImagePlatformHost.h"
#include "image/JpegFile.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BeginFuzzInput();
  const std::string path = WriteScratchFile("input.jpg", data, size);
  uint32_t width = 7, height = 7;
  PixelBlock rgb = ReadJpegRgb(path.c_str(), width, height);
  FUZZ_CHECK(image_platform::HostMessages().size() <= 1);
  if (!rgb) {
    FUZZ_CHECK(width == 0 && height == 0);
    return 0;
  }
  const uint64_t bytes = CheckPictureBlock(rgb.get(), width, height);
  if (bytes <= kRoundTripBytes) CheckRoundTrip(rgb.get(), width, height);
  return 0;
}
