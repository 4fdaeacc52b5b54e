#include "tests/image/JpegFixtures.h"

#include <cstdio>
#include <functional>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

bool WriteJpegOfKind(const std::string& path, JpegKind kind, uint32_t width, uint32_t height, const uint8_t cmyk[4]) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_error_mgr errors;
  jpeg_compress_struct codec;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_compress(&codec);
  jpeg_stdio_dest(&codec, file);
  codec.image_width = width;
  codec.image_height = height;
  const bool gray = kind == JpegKind::Gray;
  const bool rgb = kind == JpegKind::Progressive;
  codec.input_components = gray ? 1 : rgb ? 3 : 4;
  codec.in_color_space = gray ? JCS_GRAYSCALE : rgb ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, 100, TRUE);
  if (rgb) jpeg_simple_progression(&codec);
  if (kind == JpegKind::Cmyk) codec.write_Adobe_marker = FALSE;
  if (kind == JpegKind::AdobeYcck) jpeg_set_colorspace(&codec, JCS_YCCK);
  jpeg_start_compress(&codec, TRUE);
  std::vector<JSAMPLE> row(size_t{width} * codec.input_components);
  for (uint32_t x = 0; x < width; ++x) {
    const JSAMPLE ramp = static_cast<JSAMPLE>(x * 255 / (width > 1 ? width - 1 : 1));
    if (gray) {
      row[x] = ramp;
    } else if (rgb) {
      row[3 * x] = ramp;
      row[3 * x + 1] = static_cast<JSAMPLE>(255 - ramp);
      row[3 * x + 2] = 90;
    } else
      for (int c = 0; c < 4; ++c) row[4 * x + c] = cmyk[c];
  }
  while (codec.next_scanline < codec.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&codec, rows, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  return std::fclose(file) == 0;
}

namespace {

// An RGB JPEG of the rows `row` gives, with the encoder's defaults but for the named choices.
bool WriteRgbJpeg(const std::string& path, uint32_t width, uint32_t height,
                  const std::function<const uint8_t*(uint32_t)>& row, int quality, int lumaSampling, bool progressive) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_error_mgr errors;
  jpeg_compress_struct codec;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_compress(&codec);
  jpeg_stdio_dest(&codec, file);
  codec.image_width = width;
  codec.image_height = height;
  codec.input_components = 3;
  codec.in_color_space = JCS_RGB;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, quality, TRUE);
  codec.comp_info[0].h_samp_factor = codec.comp_info[0].v_samp_factor = lumaSampling;
  if (progressive) jpeg_simple_progression(&codec);
  jpeg_start_compress(&codec, TRUE);
  while (codec.next_scanline < codec.image_height) {
    JSAMPROW rows[1] = {const_cast<JSAMPLE*>(row(codec.next_scanline))};
    jpeg_write_scanlines(&codec, rows, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  return std::fclose(file) == 0;
}

}  // namespace

bool WriteJpegSampled(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height, int quality,
                      int lumaSampling, bool progressive) {
  return WriteRgbJpeg(
      path, width, height, [rgb, width](uint32_t y) { return rgb + size_t{y} * width * 3; }, quality, lumaSampling,
      progressive);
}

bool WriteJpegRows(const std::string& path, uint32_t width, uint32_t height,
                   const std::function<const uint8_t*(uint32_t)>& row) {
  // The encoder's defaults: quality 75, luma sampled 2 x 2, sequential.
  return WriteRgbJpeg(path, width, height, row, 75, 2, false);
}

int LuminanceDcQuantizer(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return -1;
  jpeg_error_mgr errors;
  jpeg_decompress_struct codec;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&codec);
  jpeg_stdio_src(&codec, file);
  jpeg_read_header(&codec, TRUE);
  const int dc = codec.quant_tbl_ptrs[0] ? codec.quant_tbl_ptrs[0]->quantval[0] : -1;
  jpeg_destroy_decompress(&codec);
  std::fclose(file);
  return dc;
}

bool SetFrameSize(std::string& jpeg, uint16_t width, uint16_t height) {
  // Marker segments from the start: FF xx, a 16-bit length, the content. A frame header holds
  // the precision, then the height and the width, big-endian.
  for (size_t at = 2; at + 9 <= jpeg.size();) {
    if (static_cast<uint8_t>(jpeg[at]) != 0xFF) return false;
    const uint8_t marker = static_cast<uint8_t>(jpeg[at + 1]);
    if (marker >= 0xC0 && marker <= 0xC2) {
      jpeg[at + 5] = static_cast<char>(height >> 8);
      jpeg[at + 6] = static_cast<char>(height & 0xFF);
      jpeg[at + 7] = static_cast<char>(width >> 8);
      jpeg[at + 8] = static_cast<char>(width & 0xFF);
      return true;
    }
    at += 2 + (static_cast<uint8_t>(jpeg[at + 2]) << 8 | static_cast<uint8_t>(jpeg[at + 3]));
  }
  return false;
}
