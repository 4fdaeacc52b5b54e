#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "viewer/MySlideShowView.h"
#include "viewer/SlideTransition.h"

namespace {

// A 32-bit top-down DIB section in a memory context; pixels read straight from its bits.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i) bits_[i] = 0;
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  uint32_t At(int x, int y) const {
    return bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] & 0xFFFFFF;
  }
  void Set(int x, int y, uint32_t value) {
    bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = value;
  }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// A pixel that names its own position; never black.
uint32_t PositionCode(int x, int y) { return static_cast<uint32_t>(((x + 1) << 12) | (y + 1)); }

void FillWithPositions(Canvas& canvas) {
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) canvas.Set(x, y, PositionCode(x, y));
}

// Copies steps 0 ... count - 1 of an effect through BitBlt, as the show does; returns the steps run.
int DrawSteps(Canvas& target, const Canvas& source, int effect, int strips, int count) {
  std::vector<SlideBlit> blits;
  int step = 0;
  for (; step < count && TransitionStep(effect, source.width(), source.height(), strips, step, blits); ++step)
    for (const SlideBlit& b : blits)
      BitBlt(target.dc(), b.x, b.y, b.width, b.height, source.dc(), b.sourceX, b.sourceY, SRCCOPY);
  GdiFlush();
  return step;
}

// A clock that moves only when the show sleeps, so pauses can be counted exactly.
uint64_t fakeNow = 0;
std::vector<unsigned> sleeps;
int keyAfterSleeps = -1;
HWND keyTarget = nullptr;
uint64_t FakeNow() { return fakeNow; }
void FakeSleep(unsigned milliseconds) {
  sleeps.push_back(milliseconds);
  fakeNow += uint64_t{milliseconds} * 1000;
  if (static_cast<int>(sleeps.size()) == keyAfterSleeps) PostMessageA(keyTarget, WM_KEYDOWN, VK_ESCAPE, 0);
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

class Transitions : public testing::Test {
 protected:
  void SetUp() override {
    fakeNow = 0;
    sleeps.clear();
    keyAfterSleeps = -1;
    keyTarget = nullptr;
    SetSlidePacing({&FakeNow, &FakeSleep});
  }
  void TearDown() override {
    SetSlidePacing({});
    DrainQueue();
  }
};

const SIZE kSizes[] = {{640, 480}, {481, 641}, {1, 1}, {2, 2}, {7, 3}};

TEST(TransitionGeometry, PausesAndChoicesFollowTheTable) {
  const int pauses[] = {100, 10, 35, 50, 10, 10, 20, 20, 10, 10, 10, 10, 10, 0, 0, 100, 60};
  for (int effect = 0; effect < kTransitionEffects; ++effect) EXPECT_EQ(TransitionPause(effect), pauses[effect]);
  EXPECT_EQ(TransitionEffectOf(41), 41 % 17);
  EXPECT_EQ(InterleaveStripsOf(10), 24);
  EXPECT_EQ(InterleaveStripsOf(137), 37);
  EXPECT_EQ(InterleaveStripsOf(99), 50);
}

TEST(TransitionGeometry, StepCountsAtFullScreen) {
  // Nominal durations at 1280 x 1024: wipe down 103 steps, wipe right 1280, the blinds 20.
  EXPECT_EQ(TransitionStepCount(0, 1280, 1024, 0), 103);
  EXPECT_EQ(TransitionStepCount(1, 1280, 1024, 0), 1280);
  EXPECT_EQ(TransitionStepCount(3, 640, 480, 0), 48);
  EXPECT_EQ(TransitionStepCount(5, 640, 480, 0), 320);
  // Growing rectangles of 3 x 3 per step until both sides are passed: 3 x 214 > 640.
  EXPECT_EQ(TransitionStepCount(6, 640, 480, 0), 214);
  EXPECT_EQ(TransitionStepCount(7, 640, 480, 0), 214);
  EXPECT_EQ(TransitionStepCount(13, 640, 480, 30), 640);
  EXPECT_EQ(TransitionStepCount(14, 640, 480, 30), 480);
  EXPECT_EQ(TransitionStepCount(15, 640, 400, 0), 20);
  EXPECT_EQ(TransitionStepCount(16, 640, 400, 0), 20);
}

TEST(TransitionGeometry, EveryCopyLiesInsideThePictureForEverySize) {
  std::vector<SlideBlit> blits;
  for (SIZE size : kSizes)
    for (int effect = 0; effect < kTransitionEffects; ++effect) {
      const int w = size.cx, h = size.cy;
      int steps = TransitionStepCount(effect, w, h, 24);
      ASSERT_GE(steps, 1) << effect << " at " << w << "x" << h;
      for (int step = 0; step < steps; ++step) {
        ASSERT_TRUE(TransitionStep(effect, w, h, 24, step, blits));
        for (const SlideBlit& b : blits) {
          EXPECT_GT(b.width, 0);
          EXPECT_GT(b.height, 0);
          EXPECT_TRUE(b.x >= 0 && b.y >= 0 && b.x + b.width <= w && b.y + b.height <= h) << effect;
          EXPECT_TRUE(b.sourceX >= 0 && b.sourceY >= 0 && b.sourceX + b.width <= w && b.sourceY + b.height <= h);
        }
      }
      EXPECT_FALSE(TransitionStep(effect, w, h, 24, steps, blits));
    }
}

TEST(TransitionGeometry, PicturesBelowTwoPixelsAreDrawnInOneStep) {
  // The corner blocks divide by the half sizes, the growing rectangles by the sides.
  std::vector<SlideBlit> blits;
  for (int effect = 0; effect < kTransitionEffects; ++effect) {
    EXPECT_EQ(TransitionStepCount(effect, 1, 5, 24), 1);
    ASSERT_TRUE(TransitionStep(effect, 1, 5, 24, 0, blits));
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0], (SlideBlit{0, 0, 1, 5, 0, 0}));
    EXPECT_EQ(TransitionStepCount(effect, 9, 1, 24), 1);
  }
}

TEST(TransitionGeometry, HorizontalBlindsOfA400RowPicture) {
  // Bands 0 ... 20; the 21st starts at row 400, below the picture, and copies nothing.
  std::vector<SlideBlit> blits;
  ASSERT_TRUE(TransitionStep(15, 300, 400, 0, 4, blits));
  EXPECT_EQ(blits.size(), 20u);
  EXPECT_EQ(blits[19], (SlideBlit{0, 380, 300, 5, 0, 380}));
  ASSERT_TRUE(TransitionStep(15, 300, 410, 0, 19, blits));
  EXPECT_EQ(blits.size(), 21u);
  EXPECT_EQ(blits[20], (SlideBlit{0, 400, 300, 10, 0, 400}));
}

TEST(TransitionGeometry, FourCornersWithUnequalHalves) {
  // 7 x 3: c = 3, b = 1, dx = 6, dy = 2; the first step already meets in the middle.
  std::vector<SlideBlit> blits;
  ASSERT_TRUE(TransitionStep(2, 7, 3, 0, 0, blits));
  ASSERT_EQ(blits.size(), 4u);
  EXPECT_EQ(blits[0], (SlideBlit{0, 0, 3, 1, 0, 0}));
  EXPECT_EQ(blits[1], (SlideBlit{3, 0, 4, 1, 3, 0}));
  EXPECT_EQ(blits[2], (SlideBlit{0, 1, 3, 2, 0, 1}));
  EXPECT_EQ(blits[3], (SlideBlit{3, 1, 4, 2, 3, 1}));
  EXPECT_EQ(TransitionStepCount(2, 7, 3, 0), 1);
  // 640 x 480: c = 320, b = 240, dx = 2 x (320 / 240) = 2; 161 steps until w > 320.
  EXPECT_EQ(TransitionStepCount(2, 640, 480, 0), 161);
}

TEST(TransitionGeometry, ComposedSizeIsTheFitRuleWithoutItsSmallPictureShortcut) {
  EXPECT_EQ(SlideComposedSize(640, 480, 640, 480, 1024, 768), (ComposedSize{640, 480}));
  // 2048 x 1536 on a 1024 x 768 screen in a full-screen client: fitted to the client's height.
  EXPECT_EQ(SlideComposedSize(2048, 1536, 1024, 768, 1024, 768), (ComposedSize{1024, 768}));
  EXPECT_EQ(SlideComposedSize(400, 300, 1024, 768, 1024, 768), (ComposedSize{400, 300}));
  // A small picture in a small client grows to the screen fractions (no shortcut for it).
  EXPECT_EQ(SlideComposedSize(300, 300, 100, 100, 1280, 1024), (ComposedSize{731, 731}));
  EXPECT_EQ(SlideComposedSize(0, 0, 1024, 768, 1024, 768), (ComposedSize{0, 0}));
}

TEST_F(Transitions, WipeDownAfterThreeStepsHasDrawnRowsZeroToTwenty) {
  Canvas source(640, 480), target(640, 480);
  FillWithPositions(source);
  ASSERT_EQ(DrawSteps(target, source, 0, 0, 3), 3);
  for (int x : {0, 319, 639}) {
    EXPECT_EQ(target.At(x, 0), PositionCode(x, 0));
    EXPECT_EQ(target.At(x, 20), PositionCode(x, 20));
    EXPECT_EQ(target.At(x, 21), 0u);
  }
}

TEST_F(Transitions, SlidesCarryTheFarEdgeOfThePictureIn) {
  Canvas source(640, 480);
  FillWithPositions(source);
  const int k = 7;
  {
    Canvas target(640, 480);  // from the right: column W - 1 - 2k holds column 0
    DrawSteps(target, source, 9, 0, k + 1);
    EXPECT_EQ(target.At(640 - 1 - 2 * k, 100), PositionCode(0, 100));
    EXPECT_EQ(target.At(639, 100), PositionCode(2 * k, 100));
    EXPECT_EQ(target.At(640 - 2 - 2 * k, 100), 0u);
  }
  {
    Canvas target(640, 480);  // from the left: column 0 holds column W - 1 - 2k
    DrawSteps(target, source, 10, 0, k + 1);
    EXPECT_EQ(target.At(0, 5), PositionCode(640 - 1 - 2 * k, 5));
    EXPECT_EQ(target.At(2 * k, 5), PositionCode(639, 5));
    EXPECT_EQ(target.At(2 * k + 1, 5), 0u);
  }
  {
    Canvas target(640, 480);  // from the bottom: row H - 1 - 2k holds row 0
    DrawSteps(target, source, 11, 0, k + 1);
    EXPECT_EQ(target.At(33, 480 - 1 - 2 * k), PositionCode(33, 0));
    EXPECT_EQ(target.At(33, 479), PositionCode(33, 2 * k));
  }
  {
    Canvas target(640, 480);  // from the top: row 0 holds row H - 1 - 2k
    DrawSteps(target, source, 12, 0, k + 1);
    EXPECT_EQ(target.At(33, 0), PositionCode(33, 480 - 1 - 2 * k));
    EXPECT_EQ(target.At(33, 2 * k + 1), 0u);
  }
}

TEST_F(Transitions, OpeningsGrowFromTheCentreLines) {
  Canvas source(641, 481);
  FillWithPositions(source);
  Canvas vertical(641, 481), horizontal(641, 481);
  DrawSteps(vertical, source, 5, 0, 4);  // k = 3: columns 317 ... 323
  EXPECT_EQ(vertical.At(317, 9), PositionCode(317, 9));
  EXPECT_EQ(vertical.At(323, 9), PositionCode(323, 9));
  EXPECT_EQ(vertical.At(316, 9), 0u);
  EXPECT_EQ(vertical.At(324, 9), 0u);
  DrawSteps(horizontal, source, 8, 0, 4);  // rows 237 ... 243
  EXPECT_EQ(horizontal.At(9, 237), PositionCode(9, 237));
  EXPECT_EQ(horizontal.At(9, 243), PositionCode(9, 243));
  EXPECT_EQ(horizontal.At(9, 236), 0u);
}

TEST_F(Transitions, InterleavedStripsSlideAndWipe) {
  Canvas source(640, 480);
  FillWithPositions(source);
  {
    // 24 strips of 20 rows: A strips at rows 1 + 40j slide in from the right, B strips at 21 + 40j
    // wipe in from the left; row 0 is never drawn.
    Canvas target(640, 480);
    DrawSteps(target, source, 13, 24, 5);
    EXPECT_EQ(target.At(635, 1), PositionCode(0, 1));
    EXPECT_EQ(target.At(639, 20), PositionCode(4, 20));
    EXPECT_EQ(target.At(634, 1), 0u);
    EXPECT_EQ(target.At(4, 21), PositionCode(4, 21));
    EXPECT_EQ(target.At(5, 21), 0u);
    DrawSteps(target, source, 13, 24, 1000);
    EXPECT_EQ(target.At(100, 0), 0u);
    EXPECT_EQ(target.At(100, 1), PositionCode(100, 1));
  }
  {
    // Strips 640 / 24 + 1 = 27 columns wide: A at 1 + 54j wipe down, B at 28 + 54j wipe up.
    Canvas target(640, 480);
    DrawSteps(target, source, 14, 24, 3);
    EXPECT_EQ(target.At(1, 2), PositionCode(1, 2));
    EXPECT_EQ(target.At(27, 2), PositionCode(27, 2));
    EXPECT_EQ(target.At(1, 3), 0u);
    EXPECT_EQ(target.At(28, 477), PositionCode(28, 477));
    EXPECT_EQ(target.At(28, 476), 0u);
    EXPECT_EQ(target.At(0, 0), 0u);
  }
}

TEST_F(Transitions, GrowingRectanglesKeepThePictureShape) {
  Canvas source(640, 480);
  FillWithPositions(source);
  Canvas topLeft(640, 480), topRight(640, 480);
  DrawSteps(topLeft, source, 6, 0, 10);  // 30 x 30 at the corner
  EXPECT_EQ(topLeft.At(29, 29), PositionCode(29, 29));
  EXPECT_EQ(topLeft.At(30, 0), 0u);
  EXPECT_EQ(topLeft.At(0, 30), 0u);
  DrawSteps(topRight, source, 7, 0, 10);
  EXPECT_EQ(topRight.At(610, 29), PositionCode(610, 29));
  EXPECT_EQ(topRight.At(609, 0), 0u);
}

TEST_F(Transitions, TheStepsAloneLeaveEdgesThatTheFinalCopyFills) {
  // The wipe down's last step reaches row 470 of 480; a slide from the right on an even width
  // ends one column short, with the picture shifted by one.
  Canvas source(640, 480);
  FillWithPositions(source);
  Canvas wipe(640, 480), slide(640, 480);
  DrawSteps(wipe, source, 0, 0, 1000);
  EXPECT_EQ(wipe.At(0, 470), PositionCode(0, 470));
  EXPECT_EQ(wipe.At(0, 479), 0u);
  DrawSteps(slide, source, 9, 0, 1000);
  EXPECT_EQ(slide.At(1, 0), PositionCode(0, 0));
  EXPECT_EQ(slide.At(0, 0), 0u);
}

TEST_F(Transitions, EveryEffectEndsWithTheWholePictureAtEverySize) {
  for (SIZE size : kSizes) {
    Canvas source(size.cx, size.cy);
    FillWithPositions(source);
    for (int effect = 0; effect < kTransitionEffects; ++effect) {
      Canvas target(size.cx, size.cy);
      sleeps.clear();
      int steps = RunSlideTransition(target.dc(), source.dc(), size.cx, size.cy, {effect, 31});
      EXPECT_EQ(steps, TransitionStepCount(effect, size.cx, size.cy, 31));
      int wrong = 0;
      for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x) wrong += target.At(x, y) != PositionCode(x, y);
      EXPECT_EQ(wrong, 0) << "effect " << effect << " at " << size.cx << "x" << size.cy;
      // One pause per step, each the effect's own.
      const size_t pauses = TransitionPause(effect) ? static_cast<size_t>(steps) : 0;
      ASSERT_EQ(sleeps.size(), pauses) << effect;
      for (unsigned ms : sleeps) EXPECT_EQ(ms, static_cast<unsigned>(TransitionPause(effect)));
    }
  }
}

TEST_F(Transitions, AQueuedKeyEndsATransitionWithTheWholePicture) {
  // Wipe down at 1280 x 1024: 103 steps of 100 ms. A key arriving during the fourth pause stops it
  // after four steps; one already waiting stops it before the first.
  Canvas source(1280, 1024), target(1280, 1024);
  FillWithPositions(source);
  keyTarget = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  keyAfterSleeps = 4;
  EXPECT_EQ(RunSlideTransition(target.dc(), source.dc(), 1280, 1024, {0, 0}), 4);
  EXPECT_EQ(target.At(700, 1023), PositionCode(700, 1023));
  EXPECT_EQ(sleeps.size(), 4u);

  sleeps.clear();
  keyAfterSleeps = -1;
  DrainQueue();
  PostMessageA(keyTarget, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(RunSlideTransition(target.dc(), source.dc(), 1280, 1024, {1, 0}), 0);
  EXPECT_TRUE(sleeps.empty());
  DestroyWindow(keyTarget);
}

TEST_F(Transitions, AKeyReleaseDoesNotEndATransition) {
  Canvas source(64, 48), target(64, 48);
  FillWithPositions(source);
  keyTarget = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  PostMessageA(keyTarget, WM_KEYUP, VK_F8, 0);
  EXPECT_EQ(RunSlideTransition(target.dc(), source.dc(), 64, 48, {0, 0}), TransitionStepCount(0, 64, 48, 0));
  DestroyWindow(keyTarget);
}

TEST_F(Transitions, PausesRunFromTheStepsStartSoDrawingDoesNotLengthenTheEffect) {
  // A clock that also moves by 4 ms at every reading, as if each step took that long to draw:
  // the show waits 6 ms after each step of wipe right, not 10.
  static uint64_t now = 0;
  now = 0;
  SetSlidePacing({[] { return now += 4000; },
                  [](unsigned ms) {
                    sleeps.push_back(ms);
                    now += uint64_t{ms} * 1000;
                  }});
  Canvas source(20, 10), target(20, 10);
  RunSlideTransition(target.dc(), source.dc(), 20, 10, {1, 0});
  ASSERT_EQ(sleeps.size(), 20u);
  for (unsigned ms : sleeps) EXPECT_EQ(ms, 6u);
}

TEST(TransitionChoice, TheSameSequenceInEveryRun) {
  // An unseeded generator starts as if seeded with 1; each effect takes one number, the
  // interleaved ones a second for their strips.
  srand(1);
  std::vector<int> expected;
  while (expected.size() < 10) {
    int effect = rand() % 17;
    expected.push_back(effect);
    if (effect == 13 || effect == 14) expected.push_back(100 + std::clamp(rand() % 100, 24, 50));
  }
  for (int run = 0; run < 2; ++run) {
    srand(1);
    std::vector<int> seen;
    while (seen.size() < 10) {
      SlideTransitionChoice choice = ChooseSlideTransition();
      seen.push_back(choice.effect);
      if (choice.effect == 13 || choice.effect == 14) {
        seen.push_back(100 + choice.strips);
      } else {
        EXPECT_EQ(choice.strips, 0);
      }
    }
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 10),
              std::vector<int>(expected.begin(), expected.begin() + 10));
  }
}

}  // namespace
