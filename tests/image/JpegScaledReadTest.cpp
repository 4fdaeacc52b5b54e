// Reading a JPEG file reduced to a target width through the library's decoding scales.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "image/JpegFile.h"
#include "image/Reduce.h"
#include "tests/image/BoxLog.h"
#include "tests/image/JpegFixtures.h"
#include "tests/image/MemoryLimits.h"
#include "tests/image/ScratchFiles.h"

namespace {

// A smooth picture with a little detail, which JPEG keeps closely.
std::vector<uint8_t> Gradient(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(size_t{y} * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / width);
      p[1] = static_cast<uint8_t>(y * 255 / height);
      p[2] = static_cast<uint8_t>(255 - (x + y) * 255 / (width + height));
    }
  return rgb;
}

int MaxDifference(const uint8_t* a, const uint8_t* b, size_t count) {
  int worst = 0;
  for (size_t i = 0; i < count; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

class JpegScaledReadTest : public testing::Test {
 protected:
  std::string WriteGradient(const std::string& name, uint32_t width, uint32_t height) {
    const std::vector<uint8_t> picture = Gradient(width, height);
    const std::string path = dir_ / name;
    EXPECT_TRUE(WriteJpegRgb(path.c_str(), picture.data(), width, height, 90));
    return path;
  }

  ScratchDir dir_;
  BoxLog boxes_;
};

TEST_F(JpegScaledReadTest, ASmallTargetOfABigPictureDecodesAtOneEighth) {
  const std::string path = WriteGradient("big.jpg", 1600, 1200);
  ScaledJpeg read = ReadJpegRgbToWidth(path.c_str(), 150);
  ASSERT_TRUE(read.pixels);
  EXPECT_EQ(read.scaleDenominator, 8);
  EXPECT_EQ(read.width, 150u);
  EXPECT_EQ(read.height, 112u);
  EXPECT_EQ(read.sourceWidth, 1600u);
  EXPECT_EQ(read.sourceHeight, 1200u);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// The strongest scale whose output still covers the target in both directions, and then the exact
// target width with the height of the full picture reduced, whatever the scale's rounding.
TEST_F(JpegScaledReadTest, TheScaleIsTheStrongestThatStillCoversTheTarget) {
  const std::string wide = WriteGradient("wide.jpg", 1600, 1200);
  const std::string odd = WriteGradient("odd.jpg", 1001, 601);
  const std::string tall = WriteGradient("tall.jpg", 600, 2000);
  const std::string thin = WriteGradient("thin.jpg", 17, 800);
  const struct {
    const std::string& path;
    uint32_t target;
    int denominator;
  } cases[] = {
      {wide, 200, 8},
      {wide, 201, 4},
      {wide, 300, 4},
      {wide, 400, 4},
      {wide, 401, 2},
      {wide, 800, 2},
      {wide, 801, 1},
      {wide, 1599, 1},
      // 1001 x 601 at 1/8 is 126 x 76: 126 wide gives 75 rows, fewer than 76.
      {odd, 125, 8},
      {odd, 126, 8},
      {odd, 127, 4},
      // Tall: the height needs no more than the width does.
      {tall, 70, 8},
      {tall, 75, 8},
      {tall, 76, 4},
      // 17 x 800 at 1/8 is 3 x 100: wide enough for 3 columns, not high enough for their 141 rows.
      {thin, 3, 4},
      {thin, 2, 8},
  };
  for (const auto& c : cases) {
    ScaledJpeg read = ReadJpegRgbToWidth(c.path.c_str(), c.target);
    ASSERT_TRUE(read.pixels) << c.path << " " << c.target;
    EXPECT_EQ(read.scaleDenominator, c.denominator) << c.path << " " << c.target;
    EXPECT_EQ(read.width, c.target) << c.path;
    EXPECT_EQ(read.height, ReducedHeight(c.target, read.sourceWidth, read.sourceHeight)) << c.path << " " << c.target;
  }
}

TEST_F(JpegScaledReadTest, ATargetNotSmallerThanThePictureGivesTheFullDecoding) {
  const std::string path = WriteGradient("small.jpg", 320, 240);
  uint32_t w = 0, h = 0;
  PixelBlock full = ReadJpegRgb(path.c_str(), w, h);
  ASSERT_TRUE(full);
  for (uint32_t target : {320u, 321u, 5000u, 0u}) {
    ScaledJpeg read = ReadJpegRgbToWidth(path.c_str(), target);
    ASSERT_TRUE(read.pixels) << target;
    EXPECT_EQ(read.scaleDenominator, 1) << target;
    ASSERT_EQ(read.width, 320u) << target;
    ASSERT_EQ(read.height, 240u) << target;
    EXPECT_EQ(MaxDifference(read.pixels.get(), full.get(), 320 * 240 * 3), 0) << target;
  }
}

// The chooser sees the file's full size and fixes the width; an exception from it fails the read.
TEST_F(JpegScaledReadTest, TheChooserSeesTheFullSize) {
  const std::string path = WriteGradient("chosen.jpg", 640, 480);
  uint32_t seenWidth = 0, seenHeight = 0;
  ScaledJpeg read = ReadJpegRgbScaled(path.c_str(), [&](uint32_t width, uint32_t height) {
    seenWidth = width;
    seenHeight = height;
    return width / 5;
  });
  ASSERT_TRUE(read.pixels);
  EXPECT_EQ(seenWidth, 640u);
  EXPECT_EQ(seenHeight, 480u);
  EXPECT_EQ(read.width, 128u);
  EXPECT_EQ(read.height, 96u);
  EXPECT_EQ(read.scaleDenominator, 4);

  ScaledJpeg refused =
      ReadJpegRgbScaled(path.c_str(), [](uint32_t, uint32_t) -> uint32_t { throw std::runtime_error("no"); });
  EXPECT_FALSE(refused.pixels);
  EXPECT_EQ(refused.width, 0u);
  EXPECT_EQ(refused.sourceWidth, 0u);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// The colours are those of the full decoding reduced to the same size, within a few steps.
TEST_F(JpegScaledReadTest, ColoursMatchTheFullDecodingReduced) {
  const std::string path = WriteGradient("colours.jpg", 1600, 1200);
  for (uint32_t target : {150u, 300u, 600u, 1000u}) {
    uint32_t w = 0, h = 0;
    PixelBlock full = ReadJpegRgb(path.c_str(), w, h);
    ASSERT_TRUE(full);
    ASSERT_TRUE(ReduceToWidth(full.get(), w, h, target));
    ScaledJpeg read = ReadJpegRgbToWidth(path.c_str(), target);
    ASSERT_TRUE(read.pixels);
    ASSERT_EQ(read.height, ReducedHeight(target, w, h));
    EXPECT_LE(MaxDifference(read.pixels.get(), full.get(), size_t{read.width} * read.height * 3), 6) << target;
  }

  // One colour stays that colour, in gray files and in CMYK ones too.
  std::vector<uint8_t> solid(size_t{960} * 720 * 3);
  for (size_t i = 0; i < solid.size(); i += 3) solid[i] = 200, solid[i + 1] = 100, solid[i + 2] = 50;
  const std::string solidPath = dir_ / "solid.jpg";
  ASSERT_TRUE(WriteJpegRgb(solidPath.c_str(), solid.data(), 960, 720, 90));
  const uint8_t ink[4] = {0, 127, 191, 55};  // (200, 100, 50) too
  const std::string cmykPath = dir_ / "cmyk.jpg";
  ASSERT_TRUE(WriteJpegOfKind(cmykPath, JpegKind::Cmyk, 960, 720, ink));
  for (const std::string& file : {solidPath, cmykPath}) {
    ScaledJpeg read = ReadJpegRgbToWidth(file.c_str(), 100);
    ASSERT_TRUE(read.pixels) << file;
    EXPECT_EQ(read.scaleDenominator, 8);
    ASSERT_EQ(read.width, 100u);
    ASSERT_EQ(read.height, 75u);
    const uint8_t expected[3] = {200, 100, 50};
    for (size_t i = 0; i < size_t{100} * 75; ++i)
      for (int k = 0; k < 3; ++k) ASSERT_NEAR(read.pixels[3 * i + k], expected[k], 3) << file << " pixel " << i;
  }
  const std::string grayPath = dir_ / "gray.jpg";
  ASSERT_TRUE(WriteJpegOfKind(grayPath, JpegKind::Gray, 800, 64));
  ScaledJpeg gray = ReadJpegRgbToWidth(grayPath.c_str(), 50);
  ASSERT_TRUE(gray.pixels);
  for (size_t i = 0; i < size_t{gray.width} * gray.height; ++i) {
    EXPECT_EQ(gray.pixels[3 * i], gray.pixels[3 * i + 1]) << i;
    EXPECT_EQ(gray.pixels[3 * i], gray.pixels[3 * i + 2]) << i;
  }
  EXPECT_LE(gray.pixels[0], 8);
  EXPECT_GE(gray.pixels[3 * 49], 247);
}

TEST_F(JpegScaledReadTest, DamagedFilesFailCleanlyOrWarnOnce) {
  // Not a picture, empty, missing, a header cut short: nothing, no sizes, no box.
  const std::string path = WriteGradient("whole.jpg", 1280, 960);
  ASSERT_TRUE(WriteBytes(dir_ / "notes.jpg", "This is not a picture at all, just some words in a file."));
  ASSERT_TRUE(WriteBytes(dir_ / "empty.jpg", ""));
  const std::string bytes = ReadBytes(path);
  ASSERT_TRUE(WriteBytes(dir_ / "stub.jpg", bytes.substr(0, 100)));
  for (const std::string& bad : {dir_ / "notes.jpg", dir_ / "empty.jpg", dir_ / "missing.jpg", dir_ / "stub.jpg"}) {
    ScaledJpeg read = ReadJpegRgbToWidth(bad.c_str(), 100);
    EXPECT_FALSE(read.pixels) << bad;
    EXPECT_EQ(read.width, 0u) << bad;
    EXPECT_EQ(read.height, 0u) << bad;
    EXPECT_EQ(read.sourceWidth, 0u) << bad;
  }
  EXPECT_FALSE(ReadJpegRgbToWidth(nullptr, 100).pixels);
  EXPECT_TRUE(boxes_.Boxes().empty());

  // Cut in half: one warning and the whole picture at the target size.
  ASSERT_TRUE(WriteBytes(dir_ / "cut.jpg", bytes.substr(0, bytes.size() / 2)));
  ScaledJpeg cut = ReadJpegRgbToWidth((dir_ / "cut.jpg").c_str(), 100);
  ASSERT_TRUE(cut.pixels);
  EXPECT_EQ(cut.width, 100u);
  EXPECT_EQ(cut.height, 75u);
  EXPECT_EQ(cut.sourceWidth, 1280u);
  EXPECT_NE(cut.warning.find("Premature end of JPEG file"), std::string::npos) << cut.warning;
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// The budget applies to the picture decoded: a scaled read of a photo that would not fit at full
// size succeeds, and one that does not fit even scaled is refused before decoding, without a box.
TEST_F(JpegScaledReadTest, TheBudgetAppliesToTheScaledPicture) {
  const std::string path = WriteGradient("budget.jpg", 1600, 1200);
  {
    PixelLimit limit(uint64_t{1600} * 1200 * 3 - 1);
    uint32_t w = 0, h = 0;
    EXPECT_FALSE(ReadJpegRgb(path.c_str(), w, h));
    ScaledJpeg read = ReadJpegRgbToWidth(path.c_str(), 150);
    ASSERT_TRUE(read.pixels);
    EXPECT_EQ(read.width, 150u);
  }
  {
    PixelLimit limit(uint64_t{200} * 150 * 3 - 1);
    ScaledJpeg read = ReadJpegRgbToWidth(path.c_str(), 150);
    EXPECT_FALSE(read.pixels);
    EXPECT_EQ(read.width, 0u);
  }
  EXPECT_TRUE(boxes_.Boxes().empty());

  // 30000 x 30000 progressive declared in a few hundred bytes: at 1/8 the picture fits, but the
  // library's coefficient buffers for the whole file do not; refused before reading any scan.
  const std::string small = dir_ / "small.jpg";
  ASSERT_TRUE(WriteJpegOfKind(small, JpegKind::Progressive, 64, 64));
  std::string bytes = ReadBytes(small);
  ASSERT_TRUE(SetFrameSize(bytes, 30000, 30000));
  const std::string huge = dir_ / "huge.jpg";
  ASSERT_TRUE(WriteBytes(huge, bytes));
  const uint64_t peakBefore = PeakMemoryBytes();
  ScaledJpeg read = ReadJpegRgbToWidth(huge.c_str(), 100);
  EXPECT_FALSE(read.pixels);
  EXPECT_EQ(read.width, 0u);
  EXPECT_LT(PeakMemoryBytes(), peakBefore + (64u << 20));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST(ReduceToSize, ReducesToAnExactSizeAndRefusesToEnlarge) {
  // Columns 0-9 and rows 0-5 of a ramp: 10 x 6 to 5 x 2 averages pairs of columns, triples of rows.
  std::vector<uint8_t> block(10 * 6 * 3);
  for (uint32_t y = 0; y < 6; ++y)
    for (uint32_t x = 0; x < 10; ++x)
      for (int k = 0; k < 3; ++k) block[(y * 10 + x) * 3 + static_cast<uint32_t>(k)] = static_cast<uint8_t>(x * 20 + y);
  const std::vector<uint8_t> before = block;
  EXPECT_FALSE(ReduceToSize(block.data(), 10, 6, 11, 2));
  EXPECT_FALSE(ReduceToSize(block.data(), 10, 6, 5, 7));
  EXPECT_FALSE(ReduceToSize(block.data(), 10, 6, 0, 2));
  EXPECT_FALSE(ReduceToSize(block.data(), 10, 6, 5, 0));
  EXPECT_FALSE(ReduceToSize(nullptr, 10, 6, 5, 2));
  EXPECT_EQ(block, before);
  ASSERT_TRUE(ReduceToSize(block.data(), 10, 6, 5, 2));
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < 5; ++x) EXPECT_NEAR(block[(y * 5 + x) * 3], x * 40 + 10 + y * 3 + 1, 1) << x << "," << y;
}

}  // namespace
