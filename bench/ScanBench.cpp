// What one scan costs after the source has written it: reserving the next numbered name in
// folders already holding many scans (up to every name but the last), and converting an A4 page
// at 300 dpi from BMP to JPEG. Usage: scan_bench [--rounds N] folder...
// Each folder is used as it is; the reserved file is deleted again after each round.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "image/BmpCodec.h"
#include "scan/ScanFiles.h"

namespace {

void Report(const char* what, const std::vector<double>& ms) {
  Range range = RangeOf(ms);
  std::printf("%-52s median %9.2f ms  range %9.2f - %9.2f ms\n", what, Median(ms), range.low, range.high);
}

void BenchReserve(const std::string& folder, int rounds) {
  std::vector<double> ms;
  std::string name;
  for (int i = 0; i < rounds; ++i) {
    double start = NowMs();
    name = ReserveScanName(folder);
    ms.push_back(NowMs() - start);
    if (!name.empty()) DeleteFileA(name.c_str());
  }
  std::string what = "reserve in " + folder.substr(folder.find_last_of('\\') + 1) + " -> " +
                     (name.empty() ? std::string("none") : name.substr(name.find_last_of('\\') + 1));
  Report(what.c_str(), ms);
}

void BenchConvert(const std::string& folder, int rounds) {
  const uint32_t width = 2480;
  const uint32_t height = 3508;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7) ^ (i >> 11));
  std::string bmp = folder + "\\twain.bmp";
  BmpCodec codec;
  codec.WriteBmp24(bmp.c_str(), pixels.data(), width, height);
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    double start = NowMs();
    ScanSaveResult saved = SaveScan(bmp, folder);
    ms.push_back(NowMs() - start);
    DeleteFileA(saved.path.c_str());
  }
  DeleteFileA(bmp.c_str());
  Report("convert A4 300 dpi BMP (2480 x 3508) to JPEG", ms);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 7;
  std::vector<std::string> folders = ParseRounds(argc, argv, rounds);
  std::printf("rounds: %d\n", rounds);
  for (const std::string& folder : folders) BenchReserve(folder, rounds);
  if (!folders.empty()) BenchConvert(folders.front(), rounds);
  return 0;
}
