// Times the thumbnail path over real photographs and prints, per photo and in total: the floor
// (a bare full decode into one buffer reused across files), ReduceToWidth to the thumbnail width,
// and the whole thumbnail path as the program runs it (ReadJpegRgb, WriteJpegThumbnail at quality
// 75, free), with megapixels per second and the ratio of the whole path to the floor.
// Usage: image_bench [--rounds N] photo.jpg...   Each figure is the median of N rounds (default 5).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/ImageSettings.h"
#include "image/JpegFile.h"
#include "image/Reduce.h"

#include "bench/BenchSupport.h"

extern "C" {
#include <jpeglib.h>
}

namespace {

constexpr int kThumbnailWidth = 96;

// The floor: the library's full decode with default parameters straight into `buffer`, which only
// grows, so no page of it is new after the first large photo.
bool BareDecode(const char* path, std::vector<uint8_t>& buffer, uint32_t& width, uint32_t& height) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  jpeg_error_mgr errors;
  jpeg_decompress_struct codec;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&codec);
  jpeg_stdio_src(&codec, file);
  jpeg_read_header(&codec, TRUE);
  jpeg_start_decompress(&codec);
  width = codec.output_width;
  height = codec.output_height;
  const size_t stride = size_t{width} * codec.output_components;
  if (buffer.size() < stride * height) buffer.resize(stride * height);
  while (codec.output_scanline < codec.output_height) {
    JSAMPROW rows[8];
    const JDIMENSION first = codec.output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(8, codec.output_height - first);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = buffer.data() + (first + i) * stride;
    jpeg_read_scanlines(&codec, rows, count);
  }
  jpeg_finish_decompress(&codec);
  jpeg_destroy_decompress(&codec);
  std::fclose(file);
  return true;
}

struct Figures {
  std::string name;
  uint32_t width = 0, height = 0;
  std::vector<double> decode, reduce, whole;
  double MegaPixels() const { return double(width) * height / 1e6; }
};

std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

void PrintRow(const char* name, uint32_t w, uint32_t h, double mp, double decode, double reduce, double whole) {
  char size[32] = "";
  if (w) std::snprintf(size, sizeof size, "%ux%u", w, h);
  std::printf("%-26s %11s %6.2f %9.1f %7.1f %9.2f %7.0f %9.1f %7.1f %6.3f\n", name, size, mp, decode,
              mp * 1000 / decode, reduce, mp * 1000 / reduce, whole, mp * 1000 / whole, whole / decode);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 5;
  std::vector<std::string> paths = ParseRounds(argc, argv, rounds);
  if (paths.empty()) {
    std::fprintf(stderr, "usage: image_bench [--rounds N] photo.jpg...\n");
    return 2;
  }
  SetThumbnailBox(kThumbnailWidth);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string thumb = std::string(temp) + "lumavex_bench_thumbnail.cpg";

  std::vector<Figures> photos;
  std::vector<uint8_t> floorBuffer, reduceBuffer;
  for (const std::string& path : paths) {
    Figures f;
    f.name = BaseName(path);
    if (!BareDecode(path.c_str(), floorBuffer, f.width, f.height)) {  // also warms the file cache
      std::fprintf(stderr, "cannot decode %s\n", path.c_str());
      return 1;
    }
    photos.push_back(f);
  }
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < paths.size(); ++i) {
      Figures& f = photos[i];
      const char* path = paths[i].c_str();
      uint32_t w = 0, h = 0;

      double start = NowMs();
      BareDecode(path, floorBuffer, w, h);
      f.decode.push_back(NowMs() - start);

      const size_t bytes = size_t{w} * h * 3;
      if (reduceBuffer.size() < bytes) reduceBuffer.resize(bytes);
      std::memcpy(reduceBuffer.data(), floorBuffer.data(), bytes);
      start = NowMs();
      ReduceToWidth(reduceBuffer.data(), w, h, kThumbnailWidth);
      f.reduce.push_back(NowMs() - start);

      DeleteFileA(thumb.c_str());
      start = NowMs();
      {
        PixelBlock rgb = ReadJpegRgb(path, w, h);
        WriteJpegThumbnail(thumb.c_str(), rgb.get(), w, h, 75);
      }
      f.whole.push_back(NowMs() - start);
    }
  }
  DeleteFileA(thumb.c_str());

  std::printf("%d rounds, medians in ms; thumbnail = ReadJpegRgb + WriteJpegThumbnail (width %d, quality 75)\n", rounds,
              kThumbnailWidth);
  std::printf("%-26s %11s %6s %9s %7s %9s %7s %9s %7s %6s\n", "photo", "size", "MP", "decode", "MP/s", "reduce", "MP/s",
              "thumbnail", "MP/s", "ratio");
  double mp = 0, decode = 0, reduce = 0, whole = 0;
  for (const Figures& f : photos) {
    const double d = Median(f.decode), r = Median(f.reduce), t = Median(f.whole);
    PrintRow(f.name.c_str(), f.width, f.height, f.MegaPixels(), d, r, t);
    mp += f.MegaPixels();
    decode += d;
    reduce += r;
    whole += t;
  }
  PrintRow("total", 0, 0, mp, decode, reduce, whole);
  std::printf("range of the rounds in ms (lowest-highest)\n%-26s %19s %19s %19s\n", "photo", "decode", "reduce",
              "thumbnail");
  for (const Figures& f : photos) {
    const Range d = RangeOf(f.decode), r = RangeOf(f.reduce), t = RangeOf(f.whole);
    std::printf("%-26s %9.1f-%-9.1f %9.1f-%-9.1f %9.1f-%-9.1f\n", f.name.c_str(), d.low, d.high, r.low, r.high, t.low,
                t.high);
  }
  return 0;
}
