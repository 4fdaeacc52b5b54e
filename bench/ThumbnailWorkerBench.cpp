// Thumbnail making of whole folders as the program does it, and what a second thread adds: for
// each folder given, the bare decode of its "*.jpg" files on one thread (ReadJpegRgb, the floor),
// then the folder's thumbnail files made by one thumbnail worker alone, then by a worker and a
// thread doing what the list view does for the items it draws (EnsureThumbnail in name order).
// Prints images per second, each figure's ratio to the bare decode, and the speed-up of the pair
// (the median of the rounds' own speed-ups).
// Beside it, what the machine gives a second thread at that moment: the bare decode on two
// threads, each taking every other image, against one (on a shared machine the scheduler may
// give the process no second core: then neither pair can be faster than one thread), and the
// cores the process used in each run (its processor time over the elapsed time).
// Then, with every thumbnail file made, what a worker costs that finds nothing to make.
// The folder's ".cpg" files are purged before every run and at the end.
// Usage: thumbnail_worker_bench [--rounds N] folder...   Figures are medians of N rounds (default 3).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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

// Processor time of the whole process so far, all threads, in seconds.
double ProcessSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// One timed run: elapsed seconds, and the cores the process used meanwhile.
struct Run {
  double seconds;
  double cores;
};

template <typename Work>
Run Timed(Work work) {
  const double startCpu = ProcessSeconds(), start = NowMs() / 1000;
  work();
  const double elapsed = NowMs() / 1000 - start;
  return {elapsed, elapsed > 0 ? (ProcessSeconds() - startCpu) / elapsed : 0};
}

// Decodes every `step`-th image from `first` on.
void DecodeEvery(const std::vector<std::string>& images, size_t first, size_t step) {
  for (size_t i = first; i < images.size(); i += step) {
    uint32_t width = 0, height = 0;
    PixelBlock pixels = ReadJpegRgb(images[i].c_str(), width, height);
  }
}

Run BareDecode(const std::vector<std::string>& images) {
  return Timed([&] { DecodeEvery(images, 0, 1); });
}

// The same decodes on two threads that share nothing but the list.
Run BareDecodePair(const std::vector<std::string>& images) {
  return Timed([&] {
    std::thread other([&] { DecodeEvery(images, 1, 2); });
    DecodeEvery(images, 0, 2);
    other.join();
  });
}

// One worker, plus, when asked, a normal-priority thread going through the images as the view
// does; timed until both are done.
Run MakeThumbnails(const std::string& folder, const std::vector<std::string>& images, HWND view, bool withView) {
  PurgeThumbnailFiles(folder, kAppFolder);
  ThumbnailClaims claims;
  HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const Run run = Timed([&] {
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
  });
  CloseHandle(finished);
  for (const std::string& image : images) {
    if (!PathExists(ThumbnailPathFor(image, kAppFolder)))
      std::fprintf(stderr, "missing thumbnail: %s\n", image.c_str());
  }
  return run;
}

std::vector<double> Seconds(const std::vector<Run>& runs) {
  std::vector<double> seconds;
  for (const Run& run : runs) seconds.push_back(run.seconds);
  return seconds;
}

std::vector<double> Cores(const std::vector<Run>& runs) {
  std::vector<double> cores;
  for (const Run& run : runs) cores.push_back(run.cores);
  return cores;
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
  std::printf("%-34s %6s %11s %17s %17s %8s %9s\n", "folder", "images", "decode/s", "worker/s (ratio)",
              "+view/s (ratio)", "speed-up", "2 decodes");
  for (const std::string& folder : folders) {
    const std::vector<std::string> images = Images(folder);
    if (images.empty()) {
      std::fprintf(stderr, "no images in %s\n", folder.c_str());
      return 1;
    }
    BareDecode(images);  // warms the file cache
    std::vector<Run> decode, decodePair, alone, paired;
    // Speed-ups within each round, so that the load of one moment meets both of its terms.
    std::vector<double> pairSpeedUp, decodeSpeedUp;
    for (int round = 0; round < rounds; ++round) {
      decode.push_back(BareDecode(images));
      decodePair.push_back(BareDecodePair(images));
      alone.push_back(MakeThumbnails(folder, images, view, false));
      paired.push_back(MakeThumbnails(folder, images, view, true));
      DropPostedMessages(view);
      decodeSpeedUp.push_back(decode.back().seconds / decodePair.back().seconds);
      pairSpeedUp.push_back(alone.back().seconds / paired.back().seconds);
    }
    ReportIdleWorker(folder, view);
    PurgeThumbnailFiles(folder, kAppFolder);
    const double n = static_cast<double>(images.size());
    const double decodeRate = n / Median(Seconds(decode)), aloneRate = n / Median(Seconds(alone)),
                 pairedRate = n / Median(Seconds(paired));
    const size_t cut = folder.find_last_of('\\');
    const std::string name = cut == std::string::npos ? folder : folder.substr(cut + 1);
    std::printf("%-34s %6zu %11.2f %9.2f (%5.2f) %9.2f (%5.2f) %7.2fx %8.2fx\n", name.c_str(), images.size(),
                decodeRate, aloneRate, aloneRate / decodeRate, pairedRate, pairedRate / decodeRate, Median(pairSpeedUp),
                Median(decodeSpeedUp));
    const Range d = RangeOf(Seconds(decode)), dp = RangeOf(Seconds(decodePair)), a = RangeOf(Seconds(alone)),
                p = RangeOf(Seconds(paired));
    std::printf(
        "%-34s rounds in s (lowest-highest): decode %.2f-%.2f, 2 decodes %.2f-%.2f, worker %.2f-%.2f, "
        "+view %.2f-%.2f\n",
        "", d.low, d.high, dp.low, dp.high, a.low, a.high, p.low, p.high);
    const Range ps = RangeOf(pairSpeedUp), ds = RangeOf(decodeSpeedUp);
    std::printf("%-34s speed-up of the rounds: +view %.2f-%.2f, 2 decodes %.2f-%.2f\n", "", ps.low, ps.high, ds.low,
                ds.high);
    std::printf("%-34s cores used (median): decode %.2f, 2 decodes %.2f, worker %.2f, +view %.2f\n", "",
                Median(Cores(decode)), Median(Cores(decodePair)), Median(Cores(alone)), Median(Cores(paired)));
  }
  DestroyWindow(view);
  return 0;
}
