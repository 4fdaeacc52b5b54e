// Thumbnail making of whole folders as the program does it, and what a second thread adds: for
// each folder given, the bare decode of its "*.jpg" files on one thread (ReadJpegRgb, the floor),
// then the folder's thumbnail files made by one thumbnail worker alone, then by a worker and a
// thread doing what the list view does for the items it draws (EnsureThumbnail in name order).
// Prints images per second, each figure's ratio to the bare decode, and the speed-up of the pair.
// Then, with every thumbnail file made, what a worker costs that finds nothing to make.
// The folder's ".cpg" files are purged before every run and at the end.
// Usage: thumbnail_worker_bench [--rounds N] folder...   Figures are medians of N rounds (default 3).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "browser/FileNames.h"
#include "browser/ThumbnailClaims.h"
#include "browser/ThumbnailFiles.h"
#include "browser/ThumbnailWorker.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"

#include "bench/BenchSupport.h"

namespace {

// Thumbnails stay beside the images: the folders given lie on fixed drives.
constexpr char kAppFolder[] = "C:\\";

std::vector<std::string> Images(const std::string& folder) {
  std::vector<std::string> paths;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(PathJoin(folder, "*.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return paths;
  do {
    paths.push_back(PathJoin(folder, found.cFileName));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(paths.begin(), paths.end());
  return paths;
}

double BareDecode(const std::vector<std::string>& images) {
  const double start = NowMs() / 1000;
  for (const std::string& image : images) {
    uint32_t width = 0, height = 0;
    PixelBlock pixels = ReadJpegRgb(image.c_str(), width, height);
  }
  return NowMs() / 1000 - start;
}

// One worker, plus, when asked, a normal-priority thread going through the images as the view
// does; timed until both are done.
double MakeThumbnails(const std::string& folder, const std::vector<std::string>& images, HWND view, bool withView) {
  PurgeThumbnailFiles(folder, kAppFolder);
  ThumbnailClaims claims;
  HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const double start = NowMs() / 1000;
  if (!StartThumbnailWorker(folder, view, claims, kAppFolder, finished)) {
    std::fprintf(stderr, "cannot start a worker\n");
    std::exit(1);
  }
  if (withView) {
    std::thread viewThread([&] {
      for (const std::string& image : images) EnsureThumbnail(image, ThumbnailPathFor(image, kAppFolder), claims);
    });
    viewThread.join();
  }
  WaitForSingleObject(finished, INFINITE);
  const double elapsed = NowMs() / 1000 - start;
  CloseHandle(finished);
  for (const std::string& image : images) {
    if (!PathExists(ThumbnailPathFor(image, kAppFolder)))
      std::fprintf(stderr, "missing thumbnail: %s\n", image.c_str());
  }
  return elapsed;
}

// A worker over the folder once every thumbnail file exists, against one bare search of the
// folder's "*.jpg" files (the worker searches it twice: to count what it has to make, then to make it).
void ReportIdleWorker(const std::string& folder, HWND view) {
  constexpr int kRounds = 21;
  ThumbnailClaims claims;
  std::vector<double> worker, search;
  for (int round = 0; round < kRounds; ++round) {
    double start = NowMs();
    MakeFolderThumbnails(folder, view, claims, kAppFolder);
    worker.push_back(NowMs() - start);
    start = NowMs();
    Images(folder);
    search.push_back(NowMs() - start);
  }
  const Range w = RangeOf(worker), s = RangeOf(search);
  std::printf("%-34s nothing to make: worker median %.2f ms (%.2f-%.2f), one search %.2f ms (%.2f-%.2f)\n", "",
              Median(worker), w.low, w.high, Median(search), s.low, s.high);
}

void DropPostedMessages(HWND view) {
  MSG msg;
  while (PeekMessageA(&msg, view, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::vector<std::string> folders = ParseRounds(argc, argv, rounds);
  if (folders.empty()) {
    std::fprintf(stderr, "usage: thumbnail_worker_bench [--rounds N] folder...\n");
    return 2;
  }
  SetThumbnailBox(96);
  HWND view = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::printf("%u processors, thumbnail box 96, median of %d rounds\n", std::thread::hardware_concurrency(), rounds);
  std::printf("%-34s %6s %11s %17s %17s %8s\n", "folder", "images", "decode/s", "worker/s (ratio)", "+view/s (ratio)",
              "speed-up");
  for (const std::string& folder : folders) {
    const std::vector<std::string> images = Images(folder);
    if (images.empty()) {
      std::fprintf(stderr, "no images in %s\n", folder.c_str());
      return 1;
    }
    BareDecode(images);  // warms the file cache
    std::vector<double> decode, alone, paired;
    for (int round = 0; round < rounds; ++round) {
      decode.push_back(BareDecode(images));
      alone.push_back(MakeThumbnails(folder, images, view, false));
      paired.push_back(MakeThumbnails(folder, images, view, true));
      DropPostedMessages(view);
    }
    ReportIdleWorker(folder, view);
    PurgeThumbnailFiles(folder, kAppFolder);
    const double n = static_cast<double>(images.size());
    const double decodeRate = n / Median(decode), aloneRate = n / Median(alone), pairedRate = n / Median(paired);
    const size_t cut = folder.find_last_of('\\');
    const std::string name = cut == std::string::npos ? folder : folder.substr(cut + 1);
    std::printf("%-34s %6zu %11.2f %9.2f (%5.2f) %9.2f (%5.2f) %7.2fx\n", name.c_str(), images.size(), decodeRate,
                aloneRate, aloneRate / decodeRate, pairedRate, pairedRate / decodeRate, pairedRate / aloneRate);
    const Range d = RangeOf(decode), a = RangeOf(alone), p = RangeOf(paired);
    std::printf("%-34s rounds in s (lowest-highest): decode %.2f-%.2f, worker %.2f-%.2f, +view %.2f-%.2f\n", "", d.low,
                d.high, a.low, a.high, p.low, p.high);
  }
  DestroyWindow(view);
  return 0;
}
