#include "tests/image/JpegFixtures.h"

#include <cstdio>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

bool WriteJpegOfKind(const std::string& path, JpegKind kind, uint32_t width, uint32_t height,
                     const uint8_t cmyk[4]) {
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
  codec.input_components = gray ? 1 : 4;
  codec.in_color_space = gray ? JCS_GRAYSCALE : JCS_CMYK;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, 100, TRUE);
  if (kind == JpegKind::Cmyk) codec.write_Adobe_marker = FALSE;
  if (kind == JpegKind::AdobeYcck) jpeg_set_colorspace(&codec, JCS_YCCK);
  jpeg_start_compress(&codec, TRUE);
  std::vector<JSAMPLE> row(size_t{width} * codec.input_components);
  for (uint32_t x = 0; x < width; ++x) {
    if (gray)
      row[x] = static_cast<JSAMPLE>(x * 255 / (width > 1 ? width - 1 : 1));
    else
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
