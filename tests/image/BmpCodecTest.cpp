#include "image/BmpCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "tests/image/MemoryLimits.h"
#include "tests/image/ScratchFiles.h"

namespace {

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// The bytes of a BMP file: header, colour table (B, G, R, 0 per entry) and the given rows.
struct BmpFile {
  BmpFile(int32_t w, int32_t h, uint16_t bpp = 24, std::vector<uint32_t> colours = {})
      : width(w), height(h), bitsPerPixel(bpp), palette(std::move(colours)) {}

  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitsPerPixel = 24;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  uint32_t headerSize = 40;
  std::vector<uint32_t> palette;  // 0xRRGGBB
  std::string rows;               // pixel data as stored, padding included
  int64_t dataOffset = -1;        // -1: right after the table

  std::string Bytes() const {
    const uint32_t offset = dataOffset >= 0 ? static_cast<uint32_t>(dataOffset)
                                            : 14 + headerSize + 4 * static_cast<uint32_t>(palette.size());
    std::string out = "BM";
    Put(out, offset + static_cast<uint32_t>(rows.size()), 4);
    Put(out, 0, 4);
    Put(out, offset, 4);
    Put(out, headerSize, 4);
    Put(out, static_cast<uint32_t>(width), 4);
    Put(out, static_cast<uint32_t>(height), 4);
    Put(out, 1, 2);
    Put(out, bitsPerPixel, 2);
    Put(out, compression, 4);
    for (int i = 0; i < 5; ++i) Put(out, i == 3 ? coloursUsed : 0, 4);
    if (out.size() < 14 + headerSize) out.resize(14 + headerSize, '\0');
    for (uint32_t colour : palette) Put(out, colour, 4);
    if (out.size() < offset) out.resize(offset, '\0');
    return out + rows;
  }
};

std::string Row(std::initializer_list<int> bytes) {
  std::string row;
  for (int b : bytes) row.push_back(static_cast<char>(b));
  return row;
}

class BmpCodecTest : public testing::Test {
 protected:
  // Reads `file` written to disk; expects success.
  std::vector<uint8_t> ReadOk(const BmpFile& file, uint32_t expectWidth, uint32_t expectHeight) {
    EXPECT_TRUE(WriteBytes(path_, file.Bytes()));
    uint32_t w = 99, h = 99;
    PixelBlock rgb = codec_.ReadBmp(path_.c_str(), w, h);
    EXPECT_TRUE(rgb) << codec_.LastError();
    EXPECT_EQ(codec_.LastError(), "OK");
    EXPECT_EQ(w, expectWidth);
    EXPECT_EQ(h, expectHeight);
    if (!rgb) return {};
    return std::vector<uint8_t>(rgb.get(), rgb.get() + size_t{w} * h * 3);
  }

  // Reads the bytes; expects failure with `error` and no size.
  void ReadFails(const std::string& bytes, const std::string& error) {
    ASSERT_TRUE(WriteBytes(path_, bytes));
    uint32_t w = 99, h = 99;
    EXPECT_FALSE(codec_.ReadBmp(path_.c_str(), w, h));
    EXPECT_EQ(codec_.LastError(), error);
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(h, 0u);
  }

  ScratchDir dir_;
  std::string path_ = dir_ / "picture.bmp";
  BmpCodec codec_;
};

TEST_F(BmpCodecTest, WritesThreeByTwoAsSeventyEightBytes) {
  EXPECT_EQ(codec_.LastError(), "OK");
  // DIB order: bottom row first, B, G, R.
  const uint8_t pixels[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  codec_.WriteBmp24(path_.c_str(), pixels, 3, 2);
  EXPECT_EQ(codec_.LastError(), "OK");
  const std::string bytes = ReadBytes(path_);
  ASSERT_EQ(bytes.size(), 78u);
  std::string header = "BM";
  Put(header, 78, 4);
  Put(header, 0, 4);
  Put(header, 54, 4);
  Put(header, 40, 4);
  Put(header, 3, 4);
  Put(header, 2, 4);
  Put(header, 1, 2);
  Put(header, 24, 2);
  header.resize(54, '\0');
  EXPECT_EQ(bytes.substr(0, 54), header);
  EXPECT_EQ(bytes.substr(54), Row({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}));
}

TEST_F(BmpCodecTest, WritesZeroByZeroAsHeaderOnly) {
  codec_.WriteBmp24(path_.c_str(), nullptr, 0, 0);
  EXPECT_EQ(codec_.LastError(), "OK");
  const std::string bytes = ReadBytes(path_);
  ASSERT_EQ(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 54);
}

TEST_F(BmpCodecTest, WriteFailuresAreReportedInLastError) {
  const uint8_t pixels[3] = {};
  codec_.WriteBmp24((dir_ / "no such folder/x.bmp").c_str(), pixels, 1, 1);
  EXPECT_EQ(codec_.LastError(), "Can't open file for writing");
  codec_.WriteBmp24(path_.c_str(), nullptr, 2, 2);
  EXPECT_EQ(codec_.LastError(), "No picture to write");
  // 40000 x 40000 x 3 does not fit the 32-bit file size field; nothing is written.
  codec_.WriteBmp24(path_.c_str(), pixels, 40000, 40000);
  EXPECT_EQ(codec_.LastError(), "Picture too large: 40000 x 40000");
  EXPECT_FALSE(std::filesystem::exists(path_));
#ifndef _WIN32
  codec_.WriteBmp24("/dev/full", pixels, 1, 1);
  EXPECT_EQ(codec_.LastError(), "fwrite error\nGiving up");
#endif
  codec_.WriteBmp24(path_.c_str(), pixels, 1, 1);
  EXPECT_EQ(codec_.LastError(), "OK");
}

TEST_F(BmpCodecTest, WrittenDibOrderReadsBackAsTopDownRgb) {
  // 2 x 2, DIB order: bottom row (blue, white) first, then top row (red, green).
  const uint8_t dib[12] = {255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0};
  codec_.WriteBmp24(path_.c_str(), dib, 2, 2);
  ASSERT_EQ(codec_.LastError(), "OK");
  uint32_t w = 0, h = 0;
  PixelBlock rgb = codec_.ReadBmp(path_.c_str(), w, h);
  ASSERT_TRUE(rgb);
  ASSERT_EQ(w, 2u);
  ASSERT_EQ(h, 2u);
  const uint8_t expected[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  EXPECT_EQ(std::memcmp(rgb.get(), expected, 12), 0);
  EXPECT_EQ(codec_.BytesRead(), 54u + 2 * 8);
}

TEST_F(BmpCodecTest, TwentyFourBitRowsThreeWideSkipThreePaddingBytes) {
  BmpFile file(3, 2);
  file.rows = Row({1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE});
  EXPECT_EQ(ReadOk(file, 3, 2), (std::vector<uint8_t>{12, 11, 10, 15, 14, 13, 18, 17, 16, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
  EXPECT_EQ(codec_.BytesRead(), 54u + 24);
}

TEST_F(BmpCodecTest, IndexedDepthsLookUpTheColourTable) {
  // 1 bit, 10 pixels wide: 2 data bytes and 2 padding bytes per row.
  BmpFile mono(10, 1, 1, {0x000000, 0xFFFFFF});
  mono.rows = Row({0b10110000, 0b01000000, 0xAA, 0xAA});
  std::vector<uint8_t> rgb = ReadOk(mono, 10, 1);
  const int bits[10] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(rgb[3 * x], bits[x] * 255) << x;
  EXPECT_EQ(codec_.BytesRead(), 14u + 40 + 8 + 4);

  BmpFile nibbles(3, 1, 4, std::vector<uint32_t>(16));
  nibbles.palette[2] = 0x102030;
  nibbles.palette[15] = 0x405060;
  nibbles.rows = Row({0x2F, 0x20, 0, 0});
  EXPECT_EQ(ReadOk(nibbles, 3, 1), (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x10, 0x20, 0x30}));

  // Colours used 0 means a full table of 256 entries.
  BmpFile bytes(2, 2, 8, std::vector<uint32_t>(256));
  bytes.palette[255] = 0xABCDEF;
  bytes.palette[1] = 0x010203;
  bytes.rows = Row({255, 1, 0, 0, 1, 255, 0, 0});  // bottom row first
  EXPECT_EQ(ReadOk(bytes, 2, 2), (std::vector<uint8_t>{1, 2, 3, 0xAB, 0xCD, 0xEF, 0xAB, 0xCD, 0xEF, 1, 2, 3}));
  EXPECT_EQ(codec_.BytesRead(), 54u + 1024 + 8);
}

TEST_F(BmpCodecTest, IndicesBeyondAShortTableAreBlack) {
  BmpFile file(2, 1, 8, {0x111111, 0x222222});
  file.coloursUsed = 2;
  file.rows = Row({1, 200, 0, 0});
  EXPECT_EQ(ReadOk(file, 2, 1), (std::vector<uint8_t>{0x22, 0x22, 0x22, 0, 0, 0}));
}

TEST_F(BmpCodecTest, TopDownFilesReadTheRightWayUp) {
  BmpFile file(1, -2);
  file.rows = Row({1, 2, 3, 0, 4, 5, 6, 0});  // first stored row is the top one
  EXPECT_EQ(ReadOk(file, 1, 2), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST_F(BmpCodecTest, ThirtyTwoBitFilesReadAsRgbAndOtherDepthsFail) {
  BmpFile file(2, 1, 32);
  file.rows = Row({1, 2, 3, 99, 4, 5, 6, 99});
  EXPECT_EQ(ReadOk(file, 2, 1), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));

  file.bitsPerPixel = 16;
  ReadFails(file.Bytes(), "Unsupported BMP format: 16 bits per pixel");
  file.bitsPerPixel = 0;
  ReadFails(file.Bytes(), "Unsupported BMP format: 0 bits per pixel");
}

TEST_F(BmpCodecTest, HeaderAndTableFailuresUseTheirTexts) {
  uint32_t w = 1, h = 1;
  const std::string missing = dir_ / "missing.bmp";
  EXPECT_FALSE(codec_.ReadBmp(missing.c_str(), w, h));
  EXPECT_EQ(codec_.LastError(), "Can't open file for reading :\n" + missing);

  ReadFails("", "Not a valid BMP File");
  ReadFails("BX" + std::string(60, '\0'), "Not a valid BMP File");
  BmpFile file(2, 2, 8, {0, 0});
  file.coloursUsed = 2;
  file.rows = Row({0, 1, 0, 0, 1, 0, 0, 0});
  ReadFails(file.Bytes().substr(0, 30), "Read Error!");
  ReadFails(file.Bytes().substr(0, 58), "Read Error!");  // colour table cut short

  for (uint32_t compression : {1u, 2u, 3u}) {
    BmpFile packed = file;
    packed.compression = compression;
    ReadFails(packed.Bytes(), "This is a compressed file.");
  }
  BmpFile overlapping = file;
  overlapping.dataOffset = 54;  // the table ends at 62
  ReadFails(overlapping.Bytes(), "Corrupt palette");
  BmpFile oversized = file;
  oversized.coloursUsed = 257;
  ReadFails(oversized.Bytes(), "Corrupt palette");
  BmpFile oldHeader = file;
  oldHeader.headerSize = 12;
  ReadFails(oldHeader.Bytes(), "Unsupported BMP header size 12");
}

TEST_F(BmpCodecTest, ImpossibleSizesFailBeforeAllocating) {
  BmpFile file(-3, 2);
  file.rows = std::string(24, '\0');
  ReadFails(file.Bytes(), "Invalid BMP width -3");
  // 65536 x 65536 x 3 wraps to 0 in 32-bit arithmetic.
  file.width = 65536;
  file.height = 65536;
  ReadFails(file.Bytes(), "Picture too large: 65536 x 65536");
  file.width = 0x7FFFFFFF;
  file.height = INT32_MIN;
  ReadFails(file.Bytes(), "Picture too large: 2147483647 x 2147483648");
}

// 54-byte files whose headers promise pictures the file does not hold. Each is refused before a
// block is sized from its header: with pixel blocks limited to 1 MB, none of them meets the
// limit (which would say "Memory alloc Failed").
TEST_F(BmpCodecTest, HeaderOnlyFilesAreRefusedBeforeAnythingIsAllocated) {
  PixelLimit limit(1 << 20);
  BmpFile noColumns(0, 0x7FFFFFFF);  // used to loop over 2^31 empty rows and return 0 x 2^31 - 1
  ASSERT_EQ(noColumns.Bytes().size(), 54u);
  ReadFails(noColumns.Bytes(), "Invalid BMP width 0");
  noColumns.height = INT32_MIN;
  ReadFails(noColumns.Bytes(), "Invalid BMP width 0");

  BmpFile noRows(0x40000000, 0, 32);  // used to zero-fill a 4 GiB file row for no picture
  ReadFails(noRows.Bytes(), "Invalid BMP height 0");
  noRows.bitsPerPixel = 24;
  ReadFails(noRows.Bytes(), "Invalid BMP height 0");

  // Used to allocate and clear 2 GiB and report a black picture "OK".
  BmpFile noPixels(26754, 26754, 32);
  ReadFails(noPixels.Bytes(), "Read Error");
  // A 24-bit file of that width (its rows are padded) fails alike, now before allocating.
  noPixels.bitsPerPixel = 24;
  ReadFails(noPixels.Bytes(), "Read Error");
  BmpFile indexed(20000, 20000, 8, std::vector<uint32_t>(256));
  ReadFails(indexed.Bytes(), "Read Error");
}

TEST_F(BmpCodecTest, ThirtyTwoBitFilesCutShortFailAsPaddedTwentyFourBitOnesDo) {
  BmpFile file(2, 2, 32);
  file.rows = Row({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0});  // one pixel of the top row missing
  ReadFails(file.Bytes(), "Read Error");
  file.rows += Row({10, 11, 12, 0});
  EXPECT_EQ(ReadOk(file, 2, 2), (std::vector<uint8_t>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
  file.height = -2;
  EXPECT_EQ(ReadOk(file, 2, 2), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

// The picture is the only block a read takes: every depth reads with blocks limited to its size,
// rows wider than the reader's buffer included.
TEST_F(BmpCodecTest, AReadNeedsNoBlockBeyondThePicture) {
  const uint32_t width = 5000;
  for (uint16_t bpp : std::initializer_list<uint16_t>{1, 4, 8, 24, 32}) {
    BmpFile file(width, 3, bpp, bpp <= 8 ? std::vector<uint32_t>(size_t{1} << bpp) : std::vector<uint32_t>());
    if (bpp <= 8) file.palette.back() = 0x0A0B0C;
    const size_t stored = (size_t{width} * bpp + 31) / 32 * 4;
    for (int row = 0; row < 3; ++row) file.rows += std::string(stored, '\xFF');
    PixelLimit limit(size_t{width} * 3 * 3);
    const std::vector<uint8_t> rgb = ReadOk(file, width, 3);
    ASSERT_EQ(rgb.size(), size_t{width} * 9) << bpp;
    const uint8_t expected = bpp <= 8 ? 0x0A : 0xFF;
    EXPECT_EQ(rgb[0], expected) << bpp;
    EXPECT_EQ(rgb[rgb.size() - 3], expected) << bpp;
  }
}

TEST_F(BmpCodecTest, APictureBeyondTheMemoryAtHandFailsCleanly) {
  BmpFile file(400, 300);
  file.rows = std::string(size_t{1200} * 300, '\x20');
  PixelLimit limit(400 * 300 * 3 - 1);
  ReadFails(file.Bytes(), "Memory alloc Failed");
}

#if defined(_WIN32) && !defined(_WIN64)
TEST_F(BmpCodecTest, APictureA32BitProcessCannotAllocateFailsCleanly) {
  BmpFile file(30000, 23000);  // 2.07 GB: within the limit, but no 32-bit process has room
  ReadFails(file.Bytes(), "Memory alloc Failed");
}
#endif

TEST_F(BmpCodecTest, ShortPixelDataFailsWhenPaddingIsMissingAndIsBlackOtherwise) {
  BmpFile indexed(4, 2, 8, std::vector<uint32_t>(256));
  indexed.rows = Row({1, 1, 1, 1});
  ReadFails(indexed.Bytes(), "Read Error");

  BmpFile odd(1, 2);
  odd.rows = Row({1, 2, 3, 0});
  ReadFails(odd.Bytes(), "Read Error");

  // Rows of 4 pixels have no padding: a cut file keeps what was read, the rest is black.
  BmpFile even(4, 2);
  even.rows = std::string(12, '\x40') + Row({7, 8, 9, 10});
  std::vector<uint8_t> rgb = ReadOk(even, 4, 2);
  std::vector<uint8_t> expected(24, 0x40);
  expected[0] = 9;
  expected[1] = 8;
  expected[2] = 7;
  std::fill(expected.begin() + 3, expected.begin() + 12, 0);
  EXPECT_EQ(rgb, expected);
}

TEST_F(BmpCodecTest, LongerInfoHeadersAreSkippedBeforeTheTable) {
  BmpFile file(1, 1, 8, {0x000000, 0x7F8081});
  file.coloursUsed = 2;
  file.headerSize = 124;
  file.rows = Row({1, 0, 0, 0});
  EXPECT_EQ(ReadOk(file, 1, 1), (std::vector<uint8_t>{0x7F, 0x80, 0x81}));
}

}  // namespace
