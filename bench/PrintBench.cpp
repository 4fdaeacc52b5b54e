// Printing benchmark: a folder of photographs printed by the real list view as a grid at the
// thumbnail box 96 on the default printer (the CUPS-PDF queue of run-with-printer.sh), against the
// bare decoding of the same photos. One mode a process, so that each reports its own peak memory.
// Prints every round, the median and range of the rounds, and the peak private memory.
// Usage: print_bench.exe [--rounds N] decode|load|print FOLDER
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/ImageBrowserApp.h"
#include "app/MainFrame.h"
#include "bench/BenchSupport.h"
#include "browser/BrowserState.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "browser/ThumbnailFiles.h"
#include "framework/MessageBox.h"
#include "image/ImageSettings.h"
#include "image/JpegFile.h"

namespace {

std::vector<std::string> Photos(const std::string& folder) {
  std::vector<std::string> photos;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return photos;
  do photos.push_back(folder + "\\" + found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return photos;
}

// CPU time of the process so far (user and kernel), in milliseconds: unlike the wall clock, it
// leaves out the spooler's and other processes' work on a shared machine.
double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& t) {
    return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

void Report(const char* what, const std::vector<double>& times, const std::vector<double>& cpu) {
  const Range range = RangeOf(times);
  const Range cpuRange = RangeOf(cpu);
  std::printf(
      "%s: %zu rounds, median %.0f ms (range %.0f-%.0f), CPU median %.0f ms (range %.0f-%.0f); "
      "peak private memory %.0f MB\n",
      what, times.size(), Median(times), range.low, range.high, Median(cpu), cpuRange.low, cpuRange.high,
      PeakPrivateMegabytes());
}

int Decode(const std::vector<std::string>& photos, int rounds) {
  std::vector<double> times, cpu;
  for (int round = 0; round < rounds; ++round) {
    const double start = NowMs();
    const double startCpu = ProcessCpuMs();
    int decoded = 0;
    for (const std::string& photo : photos) {
      uint32_t width = 0, height = 0;
      decoded += ReadJpegRgb(photo.c_str(), width, height) ? 1 : 0;
    }
    times.push_back(NowMs() - start);
    cpu.push_back(ProcessCpuMs() - startCpu);
    std::printf("round %d: %d of %zu photos decoded in %.0f ms (CPU %.0f ms)\n", round + 1, decoded, photos.size(),
                times.back(), cpu.back());
  }
  Report("bare decoding", times, cpu);
  return 0;
}

// The pictures of a print job alone: decoded, reduced to their cells at box 96 and put in DIB
// order, as the job's cache holds them, on a 300 dpi A4 landscape page.
int Load(const std::vector<std::string>& photos, int rounds) {
  const PrintMetrics metrics{3408, 2380, 300, 300, 96, 96};
  const GridLayout grid = ComputeGridLayout(96, metrics);
  std::vector<double> times, cpu;
  for (int round = 0; round < rounds; ++round) {
    const double start = NowMs();
    const double startCpu = ProcessCpuMs();
    int loaded = 0;
    for (const std::string& photo : photos) loaded += LoadPrintPicture(photo, grid, metrics).bits ? 1 : 0;
    times.push_back(NowMs() - start);
    cpu.push_back(ProcessCpuMs() - startCpu);
    std::printf("round %d: %d of %zu photos decoded and reduced in %.0f ms (CPU %.0f ms)\n", round + 1, loaded,
                photos.size(), times.back(), cpu.back());
  }
  Report("decoding and reducing to the cells", times, cpu);
  return 0;
}

int Print(const std::string& folder, const std::vector<std::string>& photos, int rounds) {
  CImageBrowserApp app;
  if (!app.InitInstance()) return 1;
  CMyListView* list = app.MainFrame()->ListView();
  // The thumbnail files first, so that no thumbnail worker decodes beside the job.
  for (const std::string& photo : photos) {
    const std::string thumb = ThumbnailPathFor(photo, Browser().appFolder);
    if (GetFileAttributesA(thumb.c_str()) == INVALID_FILE_ATTRIBUTES) MakeThumbnailFile(photo, thumb);
  }
  SetThumbnailBox(96);
  list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  Pump();
  std::vector<double> times, cpu;
  for (int round = 0; round < rounds; ++round) {
    CPrintInfo info;
    info.m_bDirect = true;
    if (!list->OnPreparePrinting(info)) {
      std::fprintf(stderr, "no printer\n");
      return 1;
    }
    const double start = NowMs();
    const double startCpu = ProcessCpuMs();
    const PrintOutcome outcome = RunPrintLoop(*list, info);
    times.push_back(NowMs() - start);
    cpu.push_back(ProcessCpuMs() - startCpu);
    std::printf("round %d: %d photos on %u pages (%d a page), %d decoded, %s in %.0f ms (CPU %.0f ms)\n", round + 1,
                list->ItemCount(), info.GetMaxPage(), list->PrintGrid().perPage, list->PrintDecodes(),
                outcome == PrintOutcome::Printed ? "printed" : "NOT printed", times.back(), cpu.back());
    if (outcome != PrintOutcome::Printed) return 1;
    Pump();
  }
  Report("print at box 96", times, cpu);
  app.MainFrame()->DestroyWindow();
  Pump();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  const std::vector<std::string> args = ParseRounds(argc, argv, rounds);
  if (args.size() != 2 || (args[0] != "decode" && args[0] != "load" && args[0] != "print")) {
    std::fprintf(stderr, "usage: print_bench [--rounds N] decode|load|print FOLDER\n");
    return 2;
  }
  MessageBoxRecorder noBoxes;
  const std::vector<std::string> photos = Photos(args[1]);
  if (photos.empty()) {
    std::fprintf(stderr, "no photos in %s\n", args[1].c_str());
    return 1;
  }
  if (args[0] == "decode") return Decode(photos, rounds);
  if (args[0] == "load") return Load(photos, rounds);
  return Print(args[1], photos, rounds);
}
