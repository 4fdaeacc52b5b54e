// The thumbnail writer on whatever the JPEG reader makes of the input, at a box chosen by the
// input's length. A picture larger than the box becomes a JPEG of the box width and the reduced
// height that reads back without a warning; a smaller one is a copy of the input file. The
// thumbnail decoded a band at a time agrees: the same choice, the same size.
#include <filesystem>

#include "fuzz/FuzzSupport.h"
#include "image/ImagePlatformHost.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"
#include "image/Reduce.h"

namespace {

constexpr int kBoxes[] = {7, 16, 48, 96};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BeginFuzzInput();
  const std::string source = WriteScratchFile("input.jpg", data, size);
  const std::string thumb = ScratchPath("input.cpg");
  std::error_code error;
  std::filesystem::remove(thumb, error);

  uint32_t width = 0, height = 0;
  PixelBlock rgb = ReadJpegRgb(source.c_str(), width, height);
  if (!rgb) return 0;
  const int box = kBoxes[size % 4];
  SetThumbnailBox(box);
  const bool reduced = width > static_cast<uint32_t>(box) && height > static_cast<uint32_t>(box);
  const ThumbnailPicture streamed = ReadJpegThumbnail(source.c_str(), box, box);
  FUZZ_CHECK(streamed.decoded && streamed.fitsBox == !reduced);
  if (streamed.pixels) FUZZ_CHECK(streamed.width == static_cast<uint32_t>(box));
  const bool written = WriteJpegThumbnail(thumb.c_str(), rgb.get(), width, height, 75);
  if (!reduced) {
    FUZZ_CHECK(written);
    FUZZ_CHECK(std::filesystem::file_size(thumb, error) == size);
    return 0;
  }
  const uint32_t thumbHeight = ReducedHeight(static_cast<uint32_t>(box), width, height);
  // A picture so wide that its reduced height is 0 has no thumbnail.
  FUZZ_CHECK(written == (thumbHeight > 0));
  FUZZ_CHECK(!streamed.pixels == (thumbHeight == 0));
  if (streamed.pixels) FUZZ_CHECK(streamed.height == thumbHeight);
  if (!written) return 0;
  image_platform::ClearHostMessages();
  uint32_t w = 0, h = 0;
  PixelBlock again = ReadJpegRgb(thumb.c_str(), w, h);
  FUZZ_CHECK(again && w == static_cast<uint32_t>(box) && h == thumbHeight);
  FUZZ_CHECK(image_platform::HostMessages().empty());
  return 0;
}
