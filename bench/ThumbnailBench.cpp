// Times the thumbnail path over real photographs and prints, per photo and in total: the floor
// (a bare full decode into one buffer reused across files), ReduceToWidth to the thumbnail width,
// and the whole thumbnail path as the program runs it (ReadJpegThumbnail, EncodeJpegRgb at quality
// 75, free), with megapixels per second and the ratio of the whole path to the floor.
// Usage: image_bench [--rounds N] photo.jpg...   Each figure is the median of N rounds (default 5).
//        image_bench --peak photo.jpg   one thumbnail in a fresh process: its time and the peak
//                                       private memory of the process before and after it
//        image_bench --make WIDTH HEIGHT progressive|baseline out.jpg   a synthetic photo of any
//                                       size, encoded a row at a time (4:2:0, quality 90)
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

// The thumbnail path as the program runs it, into `thumb`.
bool MakeThumbnail(const char* path, const std::string& thumb) {
  ThumbnailPicture picture = ReadJpegThumbnail(path, kThumbnailWidth, kThumbnailWidth);
  if (!picture.pixels) return picture.fitsBox;
  return EncodeJpegRgb(std::fopen(thumb.c_str(), "wb"), picture.pixels.get(), picture.width, picture.height, 75);
}

double PeakWorkingSetMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

int PeakOfOneThumbnail(const char* path, const std::string& thumb) {
  const double privateBefore = PeakPrivateMegabytes(), setBefore = PeakWorkingSetMegabytes();
  const double start = NowMs();
  const bool made = MakeThumbnail(path, thumb);
  const double elapsed = NowMs() - start;
  std::printf("%s: %s in %.0f ms; peak working set %.1f MB (%.1f before), peak private %.1f MB (%.1f before)\n", path,
              made ? "thumbnail" : "NO thumbnail", elapsed, PeakWorkingSetMegabytes(), setBefore,
              PeakPrivateMegabytes(), privateBefore);
  DeleteFileA(thumb.c_str());
  return made ? 0 : 1;
}

// Smooth colours with some texture, so the file is photo-like in size and decoding work.
int MakePhoto(uint32_t width, uint32_t height, bool progressive, const char* path) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return 1;
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
  jpeg_set_quality(&codec, 90, TRUE);
  if (progressive) jpeg_simple_progression(&codec);
  jpeg_start_compress(&codec, TRUE);
  std::vector<JSAMPLE> row(size_t{width} * 3);
  uint32_t noise = 12345;
  while (codec.next_scanline < height) {
    const uint32_t y = codec.next_scanline;
    for (uint32_t x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int n = static_cast<int>(noise >> 28) - 8;
      row[size_t{x} * 3] = static_cast<JSAMPLE>(std::clamp(static_cast<int>(x * 255ull / width) + n, 0, 255));
      row[size_t{x} * 3 + 1] = static_cast<JSAMPLE>(std::clamp(static_cast<int>(y * 255ull / height) + n, 0, 255));
      row[size_t{x} * 3 + 2] =
          static_cast<JSAMPLE>(std::clamp(128 + static_cast<int>((x / 64 + y / 64) % 2) * 60 + n, 0, 255));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&codec, rows, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  return std::fclose(file) == 0 ? 0 : 1;
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
  if (argc == 6 && std::strcmp(argv[1], "--make") == 0)
    return MakePhoto(static_cast<uint32_t>(std::atoi(argv[2])), static_cast<uint32_t>(std::atoi(argv[3])),
                     std::strcmp(argv[4], "progressive") == 0, argv[5]);
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
  if (paths.size() == 2 && paths[0] == "--peak") return PeakOfOneThumbnail(paths[1].c_str(), thumb);

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
      MakeThumbnail(path, thumb);
      f.whole.push_back(NowMs() - start);
    }
  }
  DeleteFileA(thumb.c_str());

  std::printf("%d rounds, medians in ms; thumbnail = ReadJpegThumbnail + EncodeJpegRgb (width %d, quality 75)\n",
              rounds, kThumbnailWidth);
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
