#include "image/PictureGeometry.h"

#include <gtest/gtest.h>

namespace {

// The fit rule on a 1024 x 768 screen: six sevenths of it is 877 x 548.
PictureSize Fit(int w, int h, int clientW, int clientH) { return FitPictureSize(w, h, clientW, clientH, 1024, 768); }

TEST(FitPictureSize, SmallPicturesKeepTheirNaturalSize) {
  EXPECT_EQ(Fit(400, 300, 800, 600), (PictureSize{400, 300}));
  EXPECT_EQ(CentrePicture(800, 600, 400, 300), (PicturePlace{200, 150}));
  EXPECT_EQ(Fit(877, 548, 100, 100), (PictureSize{877, 548}));  // the limits are inclusive
  EXPECT_EQ(Fit(640, 480, 640, 480), (PictureSize{640, 480}));
}

TEST(FitPictureSize, LargePicturesFitAClientAtLeastSixByFiveSeventhsOfTheScreen) {
  // sx = 877 / 2048, sy = 548 / 1536: the height decides.
  const PictureSize fitted = Fit(2048, 1536, 877, 548);
  EXPECT_EQ(fitted, (PictureSize{730, 548}));
  EXPECT_EQ(CentrePicture(877, 548, fitted.width, fitted.height), (PicturePlace{73, 0}));
}

TEST(FitPictureSize, SmallerClientsStillGetSixByFiveSeventhsOfTheScreen) {
  // s = min(877.7 / 2048, 548.6 / 1536) = 0.357...: larger than the pane, centred over its edges.
  const PictureSize fitted = Fit(2048, 1536, 300, 200);
  EXPECT_EQ(fitted, (PictureSize{731, 548}));
  EXPECT_EQ(CentrePicture(300, 200, fitted.width, fitted.height), (PicturePlace{-215, -174}));
}

TEST(FitPictureSize, ATallEnoughClientKeepsTheNaturalSize) {
  // s = 1024 / 1100 = 0.93; 700 x 0.93 >= 300, so the natural size stays and overflows sideways.
  const PictureSize fitted = Fit(1100, 300, 1024, 700);
  EXPECT_EQ(fitted, (PictureSize{1100, 300}));
  EXPECT_EQ(CentrePicture(1024, 700, fitted.width, fitted.height), (PicturePlace{-38, 200}));
}

TEST(FitPictureSize, EmptyPicturesAreLeftAlone) {
  EXPECT_EQ(Fit(0, 0, 300, 200), (PictureSize{0, 0}));
  EXPECT_EQ(Fit(0, 5000, 300, 200), (PictureSize{0, 5000}));
}

TEST(CentrePicture, HalvesTruncateTowardZero) {
  EXPECT_EQ(CentrePicture(100, 200, 51, 101), (PicturePlace{24, 49}));
  EXPECT_EQ(CentrePicture(100, 100, 103, 103), (PicturePlace{-1, -1}));
}

TEST(PrintPageSize, SpansThePageWidthAndKeepsTheAspectOnPaper) {
  EXPECT_EQ(PrintPageSize(1600, 1200, 4800, 600, 600), (PictureSize{4800, 3600}));
  // 1200 x 600 x 4800 exceeds 32 bits.
  EXPECT_EQ(PrintPageSize(1600, 1200, 4800, 600, 1200), (PictureSize{4800, 7200}));
  EXPECT_EQ(PrintPageSize(640, 480, 2479, 300, 300), (PictureSize{2479, 1859}));
  EXPECT_EQ(PrintPageSize(0, 480, 2479, 300, 300), (PictureSize{2479, 0}));
}

}  // namespace
