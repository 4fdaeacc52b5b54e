// Slide show figures: each transition effect drawn into a 1280 x 1024 window with its real pauses,
// against its nominal duration (steps x pause); and the time to compose a large photo for the
// screen. Usage: slideshow_bench [--rounds N] [--effects a,b,...] [photo.jpg ...]
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/File.h"
#include "image/Dib.h"
#include "viewer/MySlideShowView.h"
#include "viewer/SlideTransition.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kStrips = 37;

// A picture of colour bands in the canvas, so that every copy moves real pixels.
void PaintBands(HDC dc) {
  for (int i = 0; i < 16; ++i) {
    HBRUSH brush = CreateSolidBrush(RGB(i * 16, 255 - i * 16, (i * 97) & 255));
    RECT band{0, i * kHeight / 16, kWidth, (i + 1) * kHeight / 16};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
}

std::vector<int> ParseEffects(std::vector<std::string>& args) {
  std::vector<int> effects;
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "--effects") {
      std::stringstream list(args[i + 1]);
      std::string item;
      while (std::getline(list, item, ',')) effects.push_back(std::atoi(item.c_str()));
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      break;
    }
  if (effects.empty())
    for (int e = 0; e < kTransitionEffects; ++e) effects.push_back(e);
  return effects;
}

void NoSleep(unsigned) {}

// Milliseconds of one run of `effect`, from a black window.
double TimeEffect(HDC dc, HDC canvas, int effect) {
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  GdiFlush();
  Pump();
  const double start = NowMs();
  RunSlideTransition(dc, canvas, kWidth, kHeight, {effect, kStrips});
  const double time = NowMs() - start;
  Pump();
  return time;
}

void BenchEffects(const std::vector<int>& effects, int rounds) {
  const char* cls = "LumavexSlideBench";
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, cls, "bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                nullptr, wc.hInstance, nullptr);
  Pump();
  DibCanvas canvas(kWidth, kHeight);
  if (!window || !canvas.Valid()) {
    std::printf("no window or canvas\n");
    return;
  }
  PaintBands(canvas.Dc());
  HDC dc = GetDC(window);
  std::printf("Transition effects at %d x %d, real pauses, %d rounds (ms; median [low .. high])\n", kWidth, kHeight,
              rounds);
  std::printf("%-7s %6s %6s %10s %22s %9s %22s\n", "effect", "steps", "pause", "nominal", "measured", "added",
              "drawing alone");
  for (int effect : effects) {
    const int steps = TransitionStepCount(effect, kWidth, kHeight, kStrips);
    const double nominal = static_cast<double>(steps) * TransitionPause(effect);
    std::vector<double> times, drawing;
    for (int round = 0; round < rounds; ++round) times.push_back(TimeEffect(dc, canvas.Dc(), effect));
    // The same without the pauses: what the drawing costs, which pausing after each step (rather
    // than counting the pause from the step's start) would add to the nominal duration.
    SetSlidePacing({nullptr, &NoSleep});
    for (int round = 0; round < rounds; ++round) drawing.push_back(TimeEffect(dc, canvas.Dc(), effect));
    SetSlidePacing({});
    const double median = Median(times);
    const Range range = RangeOf(times);
    if (nominal > 0) {
      const Range drawRange = RangeOf(drawing);
      std::printf("%-7d %6d %6d %10.0f %8.0f [%5.0f .. %5.0f] %8.1f%% %8.0f [%5.0f .. %5.0f]\n", effect, steps,
                  TransitionPause(effect), nominal, median, range.low, range.high, (median - nominal) * 100.0 / nominal,
                  Median(drawing), drawRange.low, drawRange.high);
    } else {
      // No pause: the drawing alone, as frames per second.
      std::printf("%-7d %6d %6s %10s %8.0f [%5.0f .. %5.0f] %6.0f fps [%4.0f .. %4.0f]\n", effect, steps, "none", "-",
                  median, range.low, range.high, steps * 1000.0 / median, steps * 1000.0 / range.high,
                  steps * 1000.0 / range.low);
    }
    std::fflush(stdout);
  }
  ReleaseDC(window, dc);
  DestroyWindow(window);
}

void BenchComposition(const std::string& path, int rounds) {
  CDib picture;
  CFile file;
  const double decodeStart = NowMs();
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite)) {
    std::printf("%s: cannot open\n", path.c_str());
    return;
  }
  picture.Read(file);
  picture.PrepareForDisplay();
  const double decode = NowMs() - decodeStart;
  if (!picture.bits) {
    std::printf("%s: cannot decode\n", path.c_str());
    return;
  }
  const ComposedSize size = SlideComposedSize(static_cast<int>(picture.width), static_cast<int>(picture.height), kWidth,
                                              kHeight, kWidth, kHeight);
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    const double start = NowMs();
    DibCanvas canvas(size.width, size.height);
    if (!canvas.Valid()) {
      std::printf("no canvas\n");
      return;
    }
    SetStretchBltMode(canvas.Dc(), COLORONCOLOR);
    DrawPicture(canvas.Dc(), picture, RECT{0, 0, size.width, size.height});
    GdiFlush();
    times.push_back(NowMs() - start);
  }
  const Range range = RangeOf(times);
  std::printf("%s: %u x %u decoded in %.0f ms; composed at %d x %d in %.1f ms [%.1f .. %.1f]\n", path.c_str(),
              picture.width, picture.height, decode, size.width, size.height, Median(times), range.low, range.high);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::vector<std::string> args = ParseRounds(argc, argv, rounds);
  const std::vector<int> effects = ParseEffects(args);
  if (!args.empty()) {
    std::printf("Composition of a photo for a %d x %d screen, %d rounds (ms; median [low .. high])\n", kWidth, kHeight,
                rounds);
    for (const std::string& path : args) BenchComposition(path, rounds);
    std::printf("\n");
  }
  BenchEffects(effects, rounds);
  return 0;
}
