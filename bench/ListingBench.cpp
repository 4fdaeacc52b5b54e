// Listing benchmark: a folder of many small JPEG files with their thumbnail files, listed by the
// real list view several times in a row, as a user clicking the folder again would (each listing
// starts a thumbnail worker that runs while the next listing happens). Prints, per round and as
// median and range, the time from the listing message to the item count being set and the time to
// draw the first screen of items whose thumbnail files exist. Then, at the largest thumbnail box,
// scrolls through every item and checks that each item drawn shows its picture; prints the time
// and the process's peak private memory.
// Usage: listing_bench.exe [--rounds N] FOLDER [COUNT]   (the folder is filled on the first run)
#include <windows.h>
#include <commctrl.h>
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

// Fills `folder` with `count` copies of one small picture and their thumbnail files.
bool Fill(const std::string& folder, int count, const std::string& appFolder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string first = folder + "\\img00000.jpg";
  std::vector<uint8_t> rgb(160 * 120 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 13 / 7);
  if (!WriteJpegRgb(first.c_str(), rgb.data(), 160, 120, 75)) return false;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\img%05d.jpg", i);
    std::string image = folder + name;
    if (i > 0) CopyFileA(first.c_str(), image.c_str(), FALSE);
    if (!MakeThumbnailFile(image, ThumbnailPathFor(image, appFolder))) return false;
  }
  return true;
}

// Scrolls through every item of the list a screen at a time, drawing each screen; counts the items
// drawn without their picture (not loaded right after the paint that showed them).
int ScrollThroughAll(CMyListView* list, int& screens) {
  RECT client;
  GetClientRect(list->m_hWnd, &client);
  const int count = list->ItemCount();
  int missing = 0;
  int next = 0;
  screens = 0;
  while (next < count) {
    // The next item not yet drawn goes to the top of the window.
    RECT top{LVIR_BOUNDS, 0, 0, 0};
    list->SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(next), reinterpret_cast<LPARAM>(&top));
    list->SendMessage(LVM_SCROLL, 0, top.top - client.top);
    RedrawWindow(list->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ++screens;
    int lastVisible = next;
    // Items around `next` that lie inside the client area were drawn by that paint.
    for (int i = next > 20 ? next - 20 : 0; i < count && i < next + 60; ++i) {
      RECT item{LVIR_ICON, 0, 0, 0};
      list->SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      RECT both;
      if (!IntersectRect(&both, &item, &client) || both.bottom - both.top < (item.bottom - item.top)) continue;
      if (!list->LoadedFlags()[static_cast<size_t>(i)]) ++missing;
      if (i > lastVisible) lastVisible = i;
    }
    next = lastVisible + 1;
  }
  return missing;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 5;
  const std::vector<std::string> args = ParseRounds(argc, argv, rounds);
  if (args.empty()) {
    std::fprintf(stderr, "usage: listing_bench [--rounds N] FOLDER [COUNT]\n");
    return 2;
  }
  const std::string folder = args[0];
  const int count = args.size() > 1 ? std::atoi(args[1].c_str()) : 10000;
  MessageBoxRecorder noBoxes;
  CImageBrowserApp app;
  if (!app.InitInstance()) return 1;
  CMainFrame* frame = app.MainFrame();
  CMyListView* list = frame->ListView();
  char marker[MAX_PATH];
  std::snprintf(marker, sizeof marker, "%s\\img%05d.cpg", folder.c_str(), count - 1);
  if (GetFileAttributesA(marker) == INVALID_FILE_ATTRIBUTES) {
    std::printf("making %d pictures and thumbnail files in %s ...\n", count, folder.c_str());
    if (!Fill(folder, count, Browser().appFolder)) return 1;
  }
  Pump();

  std::vector<double> listing, firstScreen;
  for (int round = 0; round < rounds; ++round) {
    const double start = NowMs();
    list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    const double listed = NowMs();
    RedrawWindow(list->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double drawn = NowMs();
    listing.push_back(listed - start);
    firstScreen.push_back(drawn - listed);
    int loaded = 0;
    for (int flag : list->LoadedFlags()) loaded += flag;
    std::printf("round %d: %d items listed in %.1f ms; first screen (%d pictures) drawn in %.1f ms\n", round + 1,
                list->ItemCount(), listing.back(), loaded, firstScreen.back());
    Pump();
  }
  const Range listingRange = RangeOf(listing), screenRange = RangeOf(firstScreen);
  std::printf("%d rounds: listing median %.1f ms (range %.1f-%.1f); first screen median %.1f ms (range %.1f-%.1f)\n",
              rounds, Median(listing), listingRange.low, listingRange.high, Median(firstScreen), screenRange.low,
              screenRange.high);

  // The largest box: every picture 762 KB in the image list.
  SetThumbnailBox(504);
  list->CreateThumbnailList();
  list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  int screens = 0;
  const double start = NowMs();
  const int missing = ScrollThroughAll(list, screens);
  const double scrolled = NowMs() - start;
  std::printf(
      "box 504: %d items, %d screens scrolled in %.0f ms; items drawn without their picture: %d; "
      "image list %d pictures; peak private memory %.0f MB\n",
      list->ItemCount(), screens, scrolled, missing, ImageList_GetImageCount(list->Thumbnails()),
      PeakPrivateMegabytes());
  frame->DestroyWindow();
  Pump();
  return missing == 0 ? 0 : 1;
}
