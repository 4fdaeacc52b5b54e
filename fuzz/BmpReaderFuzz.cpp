// The BMP reader on any bytes. A picture it returns has the size it reports and writes back as a
// 24-bit BMP that reads the same; a failure leaves no size and a message.
#include <cstring>

#include "fuzz/FuzzSupport.h"
#include "image/BmpCodec.h"

namespace {

// Pictures up to this size also go through the writer and back.
constexpr uint64_t kRoundTripBytes = 1 << 20;

void CheckRoundTrip(const uint8_t* rgb, uint32_t width, uint32_t height) {
  const size_t bytes = size_t{width} * height * 3;
  PixelBlock dib = AllocatePixels(bytes);
  FUZZ_CHECK(dib);
  std::memcpy(dib.get(), rgb, bytes);
  SwapRedBlue(dib.get(), width, height);
  FlipRowsVertically(dib.get(), size_t{width} * 3, height);
  const std::string path = ScratchPath("written.bmp");
  BmpCodec writer;
  writer.WriteBmp24(path.c_str(), dib.get(), width, height);
  FUZZ_CHECK(writer.LastError() == "OK");
  uint32_t w = 0, h = 0;
  PixelBlock again = writer.ReadBmp(path.c_str(), w, h);
  FUZZ_CHECK(again && w == width && h == height);
  FUZZ_CHECK(std::memcmp(again.get(), rgb, bytes) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BeginFuzzInput();
  const std::string path = WriteScratchFile("input.bmp", data, size);
  BmpCodec codec;
  uint32_t width = 7, height = 7;
  PixelBlock rgb = codec.ReadBmp(path.c_str(), width, height);
  if (!rgb) {
    FUZZ_CHECK(width == 0 && height == 0);
    FUZZ_CHECK(codec.LastError() != "OK");
    return 0;
  }
  FUZZ_CHECK(codec.LastError() == "OK");
  const uint64_t bytes = CheckPictureBlock(rgb.get(), width, height);
  if (bytes <= kRoundTripBytes) CheckRoundTrip(rgb.get(), width, height);
  return 0;
}
