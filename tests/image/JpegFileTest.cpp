#include "image/JpegFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "image/ImageSettings.h"
#include "image/Reduce.h"
#include "tests/image/BoxLog.h"
#include "tests/image/JpegFixtures.h"
#include "tests/image/MemoryLimits.h"
#include "tests/image/ScratchFiles.h"
#include "tests/support/ExifSegment.h"

#ifndef _WIN32
#include "image/ImagePlatformHost.h"
#endif

namespace {

// A smooth picture that survives JPEG compression closely.
std::vector<uint8_t> Gradient(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(size_t{y} * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / width);
      p[1] = static_cast<uint8_t>(y * 255 / height);
      p[2] = 128;
    }
  return rgb;
}

int MaxDifference(const uint8_t* a, const uint8_t* b, size_t count) {
  int worst = 0;
  for (size_t i = 0; i < count; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

// Where upright pixel (x, y) of a w x h picture is stored under each orientation, after the Exif
// definitions: which side of the picture the stored row 0 and column 0 show.
std::pair<uint32_t, uint32_t> StoredPlace(int orientation, uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  switch (orientation) {
    case 2: return {w - 1 - x, y};          // row 0 at the top, column 0 at the right
    case 3: return {w - 1 - x, h - 1 - y};  // row 0 at the bottom, column 0 at the right
    case 4: return {x, h - 1 - y};          // row 0 at the bottom, column 0 at the left
    case 5: return {y, x};                  // row 0 at the left, column 0 at the top
    case 6: return {y, w - 1 - x};          // row 0 at the right, column 0 at the top
    case 7: return {h - 1 - y, w - 1 - x};  // row 0 at the right, column 0 at the bottom
    case 8: return {h - 1 - y, x};          // row 0 at the left, column 0 at the bottom
    default: return {x, y};
  }
}

class JpegFileTest : public testing::Test {
 protected:
  void SetUp() override { savedBox_ = g_thumbnailWidth; }
  void TearDown() override { SetThumbnailBox(savedBox_); }

  ScratchDir dir_;
  BoxLog boxes_;
  int savedBox_ = 96;
};

TEST_F(JpegFileTest, WrittenPictureReadsBackWithItsSizeAndColours) {
  const std::vector<uint8_t> picture = Gradient(64, 48);
  const std::string path = dir_ / "round.jpg";
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), picture.data(), 64, 48, 75));
  uint32_t w = 0, h = 0;
  PixelBlock rgb = ReadJpegRgb(path.c_str(), w, h);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(w, 64u);
  EXPECT_EQ(h, 48u);
  EXPECT_LE(MaxDifference(rgb.get(), picture.data(), picture.size()), 12);
  EXPECT_EQ(LuminanceDcQuantizer(path), 8);  // the standard table at quality 75
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(JpegFileTest, GrayscaleFilesGiveEqualRedGreenAndBlue) {
  const std::string path = dir_ / "gray.jpg";
  ASSERT_TRUE(WriteJpegOfKind(path, JpegKind::Gray, 40, 8));
  uint32_t w = 0, h = 0;
  PixelBlock rgb = ReadJpegRgb(path.c_str(), w, h);
  ASSERT_TRUE(rgb);
  ASSERT_EQ(w, 40u);
  ASSERT_EQ(h, 8u);
  for (size_t i = 0; i < size_t{w} * h; ++i) {
    EXPECT_EQ(rgb[3 * i], rgb[3 * i + 1]) << i;
    EXPECT_EQ(rgb[3 * i], rgb[3 * i + 2]) << i;
  }
  EXPECT_LE(rgb[0], 4);
  EXPECT_GE(rgb[3 * 39], 251);
}

TEST_F(JpegFileTest, CmykAndYcckFilesDecodeToTheirRgbColour) {
  // Ink C=0, M=127, Y=191, K=55 is RGB (255 - C)(255 - K) / 255 ... = (200, 100, 50).
  const uint8_t ink[4] = {0, 127, 191, 55};
  const uint8_t inverted[4] = {255, 128, 64, 200};
  const struct {
    JpegKind kind;
    const uint8_t* samples;
    const char* name;
  } cases[] = {{JpegKind::Cmyk, ink, "plain CMYK"},
               {JpegKind::AdobeCmyk, inverted, "Adobe CMYK"},
               {JpegKind::AdobeYcck, inverted, "Adobe YCCK"}};
  for (const auto& c : cases) {
    const std::string path = dir_ / "ink.jpg";
    ASSERT_TRUE(WriteJpegOfKind(path, c.kind, 16, 16, c.samples));
    uint32_t w = 0, h = 0;
    PixelBlock rgb = ReadJpegRgb(path.c_str(), w, h);
    ASSERT_TRUE(rgb) << c.name;
    ASSERT_EQ(w * h, 256u);
    const uint8_t expected[3] = {200, 100, 50};
    for (size_t i = 0; i < 256; ++i)
      for (int k = 0; k < 3; ++k) ASSERT_NEAR(rgb[3 * i + k], expected[k], 3) << c.name << " pixel " << i;
  }
}

TEST_F(JpegFileTest, TruncatedFileGivesTheFullPictureWithItsWarningAndShowsNothing) {
  std::vector<uint8_t> picture = Gradient(640, 480);
  for (size_t i = 0; i < picture.size(); i += 7) picture[i] = static_cast<uint8_t>(i * 13);  // detail
  const std::string whole = dir_ / "whole.jpg", cut = dir_ / "cut.jpg";
  ASSERT_TRUE(WriteJpegRgb(whole.c_str(), picture.data(), 640, 480, 75));
  const std::string bytes = ReadBytes(whole);
  ASSERT_TRUE(WriteBytes(cut, bytes.substr(0, bytes.size() / 2)));
  uint32_t w = 0, h = 0;
  std::string warning;
  PixelBlock rgb = ReadJpegRgb(cut.c_str(), w, h, &warning);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(w, 640u);
  EXPECT_EQ(h, 480u);
  // The caller shows it, on its own thread: a decode shows nothing.
  EXPECT_NE(warning.find("Premature end of JPEG file"), std::string::npos) << warning;
  EXPECT_TRUE(boxes_.Boxes().empty());
  warning.clear();
  ASSERT_TRUE(ReadJpegRgb(whole.c_str(), w, h, &warning));
  EXPECT_EQ(warning, "");
}

TEST_F(JpegFileTest, UnreadableFilesGiveNothingAndShowNothing) {
  const std::string text = dir_ / "notes.jpg";
  ASSERT_TRUE(WriteBytes(text, "This is not a picture at all, just some words in a file."));
  ASSERT_TRUE(WriteBytes(dir_ / "empty.jpg", ""));
  for (const std::string& path : {text, dir_ / "empty.jpg", dir_ / "missing.jpg"}) {
    uint32_t w = 5, h = 5;
    EXPECT_FALSE(ReadJpegRgb(path.c_str(), w, h)) << path;
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(h, 0u);
  }
  // A header cut off before the picture starts is fatal too.
  const std::vector<uint8_t> picture = Gradient(32, 32);
  ASSERT_TRUE(WriteJpegRgb((dir_ / "full.jpg").c_str(), picture.data(), 32, 32, 75));
  ASSERT_TRUE(WriteBytes(dir_ / "stub.jpg", ReadBytes(dir_ / "full.jpg").substr(0, 100)));
  uint32_t w = 5, h = 5;
  EXPECT_FALSE(ReadJpegRgb((dir_ / "stub.jpg").c_str(), w, h));
  EXPECT_EQ(w, 0u);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(JpegFileTest, WriterRefusesEmptyPicturesAndReportsFoldersThatDoNotExist) {
  const std::vector<uint8_t> picture = Gradient(8, 8);
  EXPECT_FALSE(WriteJpegRgb((dir_ / "a.jpg").c_str(), nullptr, 8, 8, 75));
  EXPECT_FALSE(WriteJpegRgb((dir_ / "a.jpg").c_str(), picture.data(), 0, 8, 75));
  EXPECT_FALSE(WriteJpegRgb((dir_ / "a.jpg").c_str(), picture.data(), 8, 0, 75));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a.jpg"));
  EXPECT_TRUE(boxes_.Boxes().empty());

  const std::string path = dir_ / "no such folder/b.jpg";
  EXPECT_FALSE(WriteJpegRgb(path.c_str(), picture.data(), 8, 8, 75));
  const std::vector<ShownBox> shown = boxes_.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "JpegFile :\nCan't open " + path + "\n");
}

TEST_F(JpegFileTest, ThumbnailOfALargerPictureIsTheReducedPictureEncoded) {
  SetThumbnailBox(96);
  std::vector<uint8_t> picture = Gradient(640, 480);
  std::vector<uint8_t> reduced = picture;
  ASSERT_TRUE(ReduceToWidth(reduced.data(), 640, 480, 96));
  const std::string thumb = dir_ / "a.cpg";
  EXPECT_TRUE(WriteJpegThumbnail(thumb.c_str(), picture.data(), 640, 480, 75));
  uint32_t w = 0, h = 0;
  PixelBlock rgb = ReadJpegRgb(thumb.c_str(), w, h);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(w, 96u);
  EXPECT_EQ(h, 72u);
  EXPECT_LE(MaxDifference(rgb.get(), reduced.data(), 96 * 72 * 3), 12);
  EXPECT_EQ(LuminanceDcQuantizer(thumb), 8);
  EXPECT_TRUE(boxes_.Boxes().empty());

  // A folder that does not exist: false, and still no box.
  std::vector<uint8_t> again = Gradient(640, 480);
  EXPECT_FALSE(WriteJpegThumbnail((dir_ / "gone/a.cpg").c_str(), again.data(), 640, 480, 75));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(JpegFileTest, ThumbnailOfAPictureWithinTheBoxIsACopyThatNeverOverwrites) {
  SetThumbnailBox(96);
  std::vector<uint8_t> picture = Gradient(96, 96);
  const std::string source = dir_ / "a.jpg", thumb = dir_ / "a.cpg";
  ASSERT_TRUE(WriteJpegRgb(source.c_str(), picture.data(), 96, 96, 75));
  EXPECT_TRUE(WriteJpegThumbnail(thumb.c_str(), picture.data(), 96, 96, 75));
  EXPECT_EQ(ReadBytes(thumb), ReadBytes(source));

  ASSERT_TRUE(WriteBytes(thumb, "older thumbnail"));
  EXPECT_TRUE(WriteJpegThumbnail(thumb.c_str(), picture.data(), 96, 96, 75));
  EXPECT_EQ(ReadBytes(thumb), "older thumbnail");

  // 200 x 50 is lower than the box: copied too. Its source is missing: true all the same.
  std::vector<uint8_t> wide = Gradient(200, 50);
  EXPECT_TRUE(WriteJpegThumbnail((dir_ / "b.cpg").c_str(), wide.data(), 200, 50, 75));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "b.cpg"));
  EXPECT_FALSE(WriteJpegThumbnail((dir_ / "c.cpg").c_str(), nullptr, 200, 50, 75));
}

// 160 x 96 in flat 16 x 16 blocks of distinct colours, stored turned as each orientation says: every
// 8 x 8 block stays flat under each turn, so the eight files decode to exactly the same picture.
TEST_F(JpegFileTest, EveryOrientationReadsUprightAndGivesTheUprightThumbnail) {
  constexpr uint32_t kWidth = 160, kHeight = 96;
  std::vector<uint8_t> upright(size_t{kWidth} * kHeight * 3);
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = &upright[(size_t{y} * kWidth + x) * 3];
      const uint32_t bx = x / 16, by = y / 16;
      p[0] = static_cast<uint8_t>(20 * bx + 10);
      p[1] = static_cast<uint8_t>(40 * by + 20);
      p[2] = static_cast<uint8_t>((bx * 7 + by * 13) % 5 * 50);
    }
  PixelBlock reference, referenceThumbnail;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const bool turned = orientation >= 5;
    const uint32_t storedWidth = turned ? kHeight : kWidth, storedHeight = turned ? kWidth : kHeight;
    std::vector<uint8_t> stored(upright.size());
    for (uint32_t y = 0; y < kHeight; ++y)
      for (uint32_t x = 0; x < kWidth; ++x) {
        const auto [sx, sy] = StoredPlace(orientation, x, y, kWidth, kHeight);
        std::memcpy(&stored[(size_t{sy} * storedWidth + sx) * 3], &upright[(size_t{y} * kWidth + x) * 3], 3);
      }
    const std::string path = dir_ / ("photo" + std::to_string(orientation) + ".jpg");
    ASSERT_TRUE(WriteJpegSampled(path, stored.data(), storedWidth, storedHeight, 100, 1));
    ASSERT_TRUE(AddExifOrientation(path, orientation, orientation % 2 == 0));  // both byte orders

    uint32_t w = 0, h = 0;
    PixelBlock rgb = ReadJpegRgb(path.c_str(), w, h);
    ASSERT_TRUE(rgb);
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
    ThumbnailPicture thumbnail = ReadJpegThumbnail(path.c_str(), 40, 40);
    ASSERT_TRUE(thumbnail.decoded && thumbnail.pixels);
    ASSERT_EQ(thumbnail.width, 40u);
    ASSERT_EQ(thumbnail.height, 24u);
    if (orientation == 1) {
      EXPECT_LE(MaxDifference(rgb.get(), upright.data(), upright.size()), 2);
      reference = std::move(rgb);
      referenceThumbnail = std::move(thumbnail.pixels);
      continue;
    }
    EXPECT_EQ(std::memcmp(rgb.get(), reference.get(), upright.size()), 0);
    EXPECT_EQ(std::memcmp(thumbnail.pixels.get(), referenceThumbnail.get(), 40 * 24 * 3), 0);
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// A thumbnail made a band of rows at a time while decoding is the one made from the whole picture,
// byte for byte, for every kind of file.
TEST_F(JpegFileTest, TheStreamedThumbnailIsTheWholePicturesOne) {
  SetThumbnailBox(96);
  struct Shape {
    const char* name;
    uint32_t width, height;
    int sampling;  // 2: 4:2:0, 1: 4:4:4, 0: a kind of its own
    JpegKind kind;
    bool progressive;
  };
  const Shape shapes[] = {
      {"odd-420", 333, 251, 2, JpegKind::Progressive, false}, {"odd-444", 301, 199, 1, JpegKind::Progressive, false},
      {"tall-420", 97, 403, 2, JpegKind::Progressive, false}, {"progressive", 401, 300, 2, JpegKind::Progressive, true},
      {"gray", 257, 130, 0, JpegKind::Gray, false},           {"cmyk", 200, 150, 0, JpegKind::AdobeCmyk, false},
  };
  const uint8_t ink[4] = {40, 90, 160, 30};
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    const std::string path = dir_ / (std::string(shape.name) + ".jpg");
    if (shape.sampling > 0) {
      std::vector<uint8_t> picture = Gradient(shape.width, shape.height);
      for (size_t i = 0; i < picture.size(); i += 7) picture[i] = static_cast<uint8_t>(picture[i] ^ (i * 31));
      ASSERT_TRUE(
          WriteJpegSampled(path, picture.data(), shape.width, shape.height, 85, shape.sampling, shape.progressive));
    } else {
      ASSERT_TRUE(WriteJpegOfKind(path, shape.kind, shape.width, shape.height, ink));
    }
    uint32_t w = 0, h = 0;
    PixelBlock whole = ReadJpegRgb(path.c_str(), w, h);
    ASSERT_TRUE(whole);
    const std::string fromWhole = dir_ / "whole.cpg", streamed = dir_ / "streamed.cpg";
    ASSERT_TRUE(WriteJpegThumbnail(fromWhole.c_str(), whole.get(), w, h, 75));
    ThumbnailPicture picture = ReadJpegThumbnail(path.c_str(), 96, 96);
    ASSERT_TRUE(picture.decoded && picture.pixels);
    ASSERT_TRUE(
        EncodeJpegRgb(std::fopen(streamed.c_str(), "wb"), picture.pixels.get(), picture.width, picture.height, 75));
    EXPECT_EQ(ReadBytes(streamed), ReadBytes(fromWhole));
    std::filesystem::remove(fromWhole);
  }
}

// 18000 x 14000 (756 MB as RGB) gets its thumbnail within 32 MB of pixel memory, where the whole
// picture is refused.
TEST_F(JpegFileTest, AVeryLargePhotoGetsItsThumbnailWithinAFewMegabytes) {
  constexpr uint32_t kWidth = 18000, kHeight = 14000;
  const std::string path = dir_ / "large.jpg";
  std::vector<uint8_t> rows(size_t{kWidth} * 3 * 16);
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = &rows[(size_t{y} * kWidth + x) * 3];
      p[0] = x < kWidth / 2 ? 200 : 30;
      p[1] = 100;
      p[2] = x < kWidth / 2 ? 30 : 200;
    }
  ASSERT_TRUE(
      WriteJpegRows(path, kWidth, kHeight, [&rows](uint32_t y) { return rows.data() + (y % 16) * kWidth * 3; }));
  PixelLimit limit(32 << 20);
  uint32_t w = 0, h = 0;
  EXPECT_FALSE(ReadJpegRgb(path.c_str(), w, h));
  ThumbnailPicture picture = ReadJpegThumbnail(path.c_str(), 96, 96);
  ASSERT_TRUE(picture.pixels);
  EXPECT_EQ(picture.width, 96u);
  EXPECT_EQ(picture.height, ReducedHeight(96, kWidth, kHeight));
  const uint8_t* left = picture.pixels.get() + (size_t{30} * 96 + 10) * 3;
  const uint8_t* right = left + 70 * 3;
  EXPECT_NEAR(left[0], 200, 6);
  EXPECT_NEAR(right[2], 200, 6);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// A few hundred bytes declaring 30000 x 30000 progressive: starting the decompressor would reserve
// and clear gigabytes of coefficients, read the whole file and warn of its early end, all for a
// picture refused afterwards. It is refused from its header: nothing reserved, nothing shown.
TEST_F(JpegFileTest, AHugeDeclaredSizeIsRefusedFromTheHeader) {
  const std::string small = dir_ / "small.jpg";
  ASSERT_TRUE(WriteJpegOfKind(small, JpegKind::Progressive, 64, 64));
  std::string bytes = ReadBytes(small);
  ASSERT_LT(bytes.size(), 4000u);
  ASSERT_TRUE(SetFrameSize(bytes, 30000, 30000));
  const std::string huge = dir_ / "huge.jpg";
  ASSERT_TRUE(WriteBytes(huge, bytes));

  const uint64_t peakBefore = PeakMemoryBytes();
  uint32_t w = 5, h = 5;
  EXPECT_FALSE(ReadJpegRgb(huge.c_str(), w, h));
  EXPECT_EQ(w, 0u);
  EXPECT_EQ(h, 0u);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_LT(PeakMemoryBytes(), peakBefore + (64u << 20));

  // So is one that fits the size limit but not the memory at hand.
  ASSERT_TRUE(SetFrameSize(bytes, 3000, 3000));
  ASSERT_TRUE(WriteBytes(huge, bytes));
  {
    PixelLimit limit(3000 * 3000 * 3 - 1);
    EXPECT_FALSE(ReadJpegRgb(huge.c_str(), w, h));
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
  // With the memory, that file is a truncated one: one warning, the whole picture.
  std::string warning;
  PixelBlock rgb = ReadJpegRgb(huge.c_str(), w, h, &warning);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(w, 3000u);
  EXPECT_FALSE(warning.empty());
}

// A progressive file keeps all its coefficients while it is read; the library gets what the
// budget leaves beside the picture, and fails instead of reserving more.
TEST_F(JpegFileTest, TheLibrarysBuffersShareTheBudgetWithThePicture) {
  const std::string progressive = dir_ / "progressive.jpg", baseline = dir_ / "baseline.jpg";
  ASSERT_TRUE(WriteJpegOfKind(progressive, JpegKind::Progressive, 1024, 512));
  const std::vector<uint8_t> picture = Gradient(1024, 512);
  ASSERT_TRUE(WriteJpegRgb(baseline.c_str(), picture.data(), 1024, 512, 75));
  const uint64_t pictureBytes = 1024 * 512 * 3;
  uint32_t w = 0, h = 0;
  {
    // 1.5 MB of picture plus about 1.5 MB of coefficients.
    PixelLimit limit(pictureBytes + (256 << 10));
    EXPECT_FALSE(ReadJpegRgb(progressive.c_str(), w, h));
    EXPECT_EQ(w, 0u);
    // A baseline file needs no more than its picture.
    PixelLimit exact(pictureBytes);
    EXPECT_TRUE(ReadJpegRgb(baseline.c_str(), w, h));
    EXPECT_EQ(w, 1024u);
  }
  {
    PixelLimit limit(pictureBytes + (4 << 20));
    PixelBlock rgb = ReadJpegRgb(progressive.c_str(), w, h);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(h, 512u);
    EXPECT_NEAR(rgb[0], 0, 4);
    EXPECT_NEAR(rgb[1], 255, 4);
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// The file with its first scan repeated `copies` times after it: each copy is one more pass of
// the decoder over the picture, with nothing new in it.
std::string WithRepeatedFirstScan(const std::string& bytes, int copies) {
  const size_t start = bytes.find("\xFF\xDA");
  if (start == std::string::npos) return bytes;
  size_t end = start + 2 + ((static_cast<uint8_t>(bytes[start + 2]) << 8) | static_cast<uint8_t>(bytes[start + 3]));
  // The scan's data runs to the next marker: not a stuffed zero, not a restart marker.
  for (; end + 1 < bytes.size(); ++end) {
    const uint8_t next = static_cast<uint8_t>(bytes[end + 1]);
    if (static_cast<uint8_t>(bytes[end]) == 0xFF && next != 0 && (next < 0xD0 || next > 0xD7)) break;
  }
  std::string out = bytes.substr(0, end);
  for (int i = 0; i < copies; ++i) out += bytes.substr(start, end - start);
  return out + bytes.substr(end);
}

// A small file can hold thousands of scans; past a bound the file counts as undecodable.
TEST_F(JpegFileTest, AProgressiveFileWithTooManyScansIsUndecodable) {
  const std::string plain = dir_ / "plain.jpg", many = dir_ / "many.jpg", some = dir_ / "some.jpg";
  ASSERT_TRUE(WriteJpegOfKind(plain, JpegKind::Progressive, 64, 64));
  const std::string bytes = ReadBytes(plain);
  ASSERT_TRUE(WriteBytes(some, WithRepeatedFirstScan(bytes, 100)));
  ASSERT_TRUE(WriteBytes(many, WithRepeatedFirstScan(bytes, 600)));
  uint32_t w = 0, h = 0;
  std::string warning;
  EXPECT_TRUE(ReadJpegRgb(some.c_str(), w, h, &warning));
  EXPECT_EQ(w, 64u);
  EXPECT_FALSE(warning.empty());  // the repeated scans are reported, and the picture decodes
  EXPECT_FALSE(ReadJpegRgb(many.c_str(), w, h));
  EXPECT_EQ(w, 0u);
  EXPECT_FALSE(ReadJpegRgbToWidth(many.c_str(), 16).pixels);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// Out of memory: the reader refuses before it decodes (a truncated file shows no box for a
// picture it then drops), and the thumbnail writer and the reduction give false.
TEST_F(JpegFileTest, AllocationFailuresGiveNothingAndShowNothing) {
  const std::string whole = dir_ / "whole.jpg", cut = dir_ / "cut.jpg";
  ASSERT_TRUE(WriteJpegOfKind(whole, JpegKind::Progressive, 640, 480));
  const std::string bytes = ReadBytes(whole);
  ASSERT_TRUE(WriteBytes(cut, bytes.substr(0, bytes.size() / 2)));
  {
    PixelLimit limit(640 * 480 * 3 - 1);
    for (const std::string& path : {whole, cut}) {
      uint32_t w = 5, h = 5;
      EXPECT_FALSE(ReadJpegRgb(path.c_str(), w, h)) << path;
      EXPECT_EQ(w, 0u);
      EXPECT_EQ(h, 0u);
    }
  }
  EXPECT_TRUE(boxes_.Boxes().empty());

  // A 4000 x 100 picture: the reduction's rows of sums take 48 KB each.
  SetThumbnailBox(96);
  std::vector<uint8_t> wide = Gradient(4000, 100);
  const std::vector<uint8_t> before = wide;
  PixelLimit limit(32 << 10);
  EXPECT_FALSE(ReduceToWidth(wide.data(), 4000, 100, 96));
  EXPECT_EQ(wide, before);
  EXPECT_FALSE(WriteJpegThumbnail((dir_ / "wide.cpg").c_str(), wide.data(), 4000, 100, 75));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST(ThumbnailSourcePath, NamesThePictureBesideTheThumbnail) {
  EXPECT_EQ(ThumbnailSourcePath("C:\\My.Pictures\\a.cpg"), "C:\\My.Pictures\\a.jpg");
  EXPECT_EQ(ThumbnailSourcePath("C:\\x\\holiday.2001.cpg"), "C:\\x\\holiday.jpg");
  EXPECT_EQ(ThumbnailSourcePath("C:\\x\\noext"), "C:\\x\\noext.jpg");
  // A DRVE_ folder of a fixed drive (or of no drive at all) is an ordinary folder.
  EXPECT_EQ(ThumbnailSourcePath("C:\\Tools\\DRVE_C\\Photos\\a.cpg"), "C:\\Tools\\DRVE_C\\Photos\\a.jpg");
}

#ifndef _WIN32
// The Windows build checks this against a real CD-ROM drive of the Wine prefix.
TEST(ThumbnailSourcePath, ThumbnailsOfRemovableDrivesMapBackToTheDrive) {
  image_platform::SetHostRemovableDrive('E', true);
  EXPECT_EQ(ThumbnailSourcePath("D:\\Tools\\DRVE_E\\Photos\\2001\\a.cpg"), "E:\\Photos\\2001\\a.jpg");
  EXPECT_EQ(ThumbnailSourcePath("D:\\Tools\\DRVE_E\\a.cpg"), "E:\\a.jpg");
  image_platform::SetHostRemovableDrive('E', false);
  EXPECT_EQ(ThumbnailSourcePath("D:\\Tools\\DRVE_E\\a.cpg"), "D:\\Tools\\DRVE_E\\a.jpg");
}
#endif

}  // namespace
