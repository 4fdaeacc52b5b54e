// Set As Wallpaper over photos: decode, reduce to the screen, write the BMP and install it. Prints
// the median and range of the rounds for each photo, and the size it became.
// Usage: wallpaper_bench [--rounds N] photo.jpg...
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "image/BmpCodec.h"
#include "viewer/Wallpaper.h"

int main(int argc, char** argv) {
  int rounds = 5;
  std::vector<std::string> photos = ParseRounds(argc, argv, rounds);
  if (photos.empty()) {
    std::fprintf(stderr, "usage: wallpaper_bench [--rounds N] photo.jpg...\n");
    return 2;
  }
  std::printf("screen %d x %d, %d rounds\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), rounds);
  std::vector<double> all;
  for (const std::string& photo : photos) {
    std::vector<double> times;
    bool ok = true;
    for (int i = 0; i < rounds; ++i) {
      double start = NowMs();
      ok = SetAsWallpaper(photo) && ok;
      times.push_back(NowMs() - start);
    }
    BmpCodec codec;
    uint32_t width = 0;
    uint32_t height = 0;
    codec.ReadBmp(WallpaperFile().c_str(), width, height);
    Range range = RangeOf(times);
    std::printf("%-40s %s -> %u x %u  median %.1f ms (range %.1f-%.1f)\n",
                photo.substr(photo.find_last_of('\\') + 1).c_str(), ok ? "set" : "FAILED", width, height, Median(times),
                range.low, range.high);
    all.insert(all.end(), times.begin(), times.end());
  }
  Range range = RangeOf(all);
  std::printf("all photos: median %.1f ms (range %.1f-%.1f)\n", Median(all), range.low, range.high);
  DeleteFileA(WallpaperFile().c_str());
  return 0;
}
