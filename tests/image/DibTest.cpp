#include "image/Dib.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/File.h"
#include "image/JpegFile.h"
#include "tests/image/MemoryLimits.h"
#include "tests/image/ScratchFiles.h"

namespace {

// A memory DC with a 32-bit top-down DIB section of width x height, filled with one colour,
// whose pixels the test reads back directly.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i)
      pixels_[i] = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
  }
  ~MemoryCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = pixels_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* pixels_ = nullptr;
};

// 3 x 2 DIB-order picture (bottom row first, B, G, R): top row red, green, blue; bottom row
// white, black, gray.
const uint8_t kDib3x2[18] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 255, 0, 255, 0, 255, 0, 0};
const COLORREF kTop[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
const COLORREF kBottom[3] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)};
const COLORREF kBackground = RGB(10, 20, 30);

TEST(DrawPicture, SameSizeTransfersOneToOneAtTheDestinationCorner) {
  MemoryCanvas canvas(8, 6, kBackground);
  DrawPicture(canvas.Dc(), kDib3x2, 3, 2, nullptr, RECT{2, 1, 5, 3});
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(canvas.At(2 + x, 1), kTop[x]) << x;
    EXPECT_EQ(canvas.At(2 + x, 2), kBottom[x]) << x;
  }
  EXPECT_EQ(canvas.At(1, 1), kBackground);
  EXPECT_EQ(canvas.At(5, 2), kBackground);
  EXPECT_EQ(canvas.At(2, 3), kBackground);
}

TEST(DrawPicture, OtherSizesStretchWithoutBlending) {
  MemoryCanvas canvas(8, 6, kBackground);
  DrawPicture(canvas.Dc(), kDib3x2, 3, 2, nullptr, RECT{0, 0, 6, 4});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.At(x, y), (y < 2 ? kTop : kBottom)[x / 2]) << x << "," << y;
  EXPECT_EQ(canvas.At(6, 0), kBackground);
  EXPECT_EQ(canvas.At(0, 4), kBackground);
}

TEST(DrawPicture, APictureWithoutPixelsPaintsNothing) {
  MemoryCanvas canvas(4, 4, kBackground);
  CDib empty;
  DrawPicture(canvas.Dc(), empty, RECT{0, 0, 4, 4});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.At(x, y), kBackground);
}

TEST(CDib, ReadsAJpegThroughAFileObjectAndPaintsIt) {
  EXPECT_STREQ(CDib::kClass.className, "CDib");
  CDib dib;
  EXPECT_TRUE(dib.IsKindOf(&CObject::kClass));
  EXPECT_EQ(dib.bits, nullptr);

  ScratchDir dir;
  std::vector<uint8_t> rgb(16 * 8 * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200;               // red
  for (size_t i = 16 * 4 * 3; i < rgb.size(); i += 3) rgb[i + 2] = 200;  // bottom half magenta
  const std::string path = dir / "red.jpg";
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), 16, 8, 95));

  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
  EXPECT_EQ(dib.Read(file), ReadBytes(path).size());
  EXPECT_FALSE(file.IsOpen());
  ASSERT_NE(dib.bits, nullptr);
  EXPECT_EQ(dib.width, 16u);
  EXPECT_EQ(dib.height, 8u);
  EXPECT_NEAR(dib.bits[0], 200, 4);  // RGB: red first
  dib.PrepareForDisplay();
  EXPECT_NEAR(dib.bits[0], 200, 4);  // DIB order: bottom row first, blue first
  EXPECT_NEAR(dib.bits[2], 200, 4);
  EXPECT_NEAR(dib.bits[16 * 7 * 3], 0, 4);  // top row's blue

  MemoryCanvas canvas(16, 8, kBackground);
  DrawPicture(canvas.Dc(), dib, RECT{0, 0, 16, 8});
  EXPECT_NEAR(GetRValue(canvas.At(3, 1)), 200, 4);
  EXPECT_NEAR(GetBValue(canvas.At(3, 1)), 0, 4);
  EXPECT_NEAR(GetBValue(canvas.At(3, 6)), 200, 4);

  dib.Free();
  dib.Free();
  EXPECT_EQ(dib.bits, nullptr);
  EXPECT_EQ(dib.width, 16u);  // the size stays
}

TEST(CDib, AnUndecodableFileLeavesItEmpty) {
  ScratchDir dir;
  const std::string path = dir / "words.jpg";
  ASSERT_TRUE(WriteBytes(path, "not a picture"));
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  CDib dib;
  EXPECT_EQ(dib.Read(file), 13u);
  EXPECT_EQ(dib.bits, nullptr);
  EXPECT_EQ(dib.width, 0u);
  EXPECT_EQ(dib.height, 0u);
}

// Out of memory, a picture loads as an undecodable file does, and one already loaded paints
// nothing when its display copy cannot be had.
TEST(CDib, WithoutMemoryItStaysEmptyAndPaintsNothing) {
  ScratchDir dir;
  // 63 pixels: rows of 189 bytes, so painting needs a padded copy of 192-byte rows.
  std::vector<uint8_t> rgb(63 * 64 * 3, 200);
  const std::string path = dir / "gray.jpg";
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), 63, 64, 75));
  CDib dib;
  {
    PixelLimit limit(63 * 64 * 3 - 1);
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    dib.Read(file);
    EXPECT_EQ(dib.bits, nullptr);
    EXPECT_EQ(dib.width, 0u);
  }
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  dib.Read(file);
  ASSERT_NE(dib.bits, nullptr);
  dib.PrepareForDisplay();
  MemoryCanvas canvas(64, 64, kBackground);
  {
    PixelLimit limit(63 * 64 * 3);  // below the padded copy
    DrawPicture(canvas.Dc(), dib, RECT{0, 0, 63, 64});
    EXPECT_EQ(canvas.At(10, 10), kBackground);
  }
  DrawPicture(canvas.Dc(), dib, RECT{0, 0, 63, 64});
  EXPECT_NEAR(GetRValue(canvas.At(10, 10)), 200, 4);
}

TEST(DrawPicture, RowsAlreadyAlignedArePaintedWithoutACopy) {
  // 64 pixels: rows of 192 bytes need no padding, so no block is allocated to paint them.
  std::vector<uint8_t> dib(64 * 32 * 3, 0);
  for (size_t i = 0; i < dib.size(); i += 3) dib[i + 2] = 220;  // B, G, R: red
  MemoryCanvas canvas(64, 32, kBackground);
  PixelLimit limit(1);
  DrawPicture(canvas.Dc(), dib.data(), 64, 32, nullptr, RECT{0, 0, 64, 32});
  EXPECT_EQ(canvas.At(5, 5), RGB(220, 0, 0));
  MemoryCanvas stretched(128, 64, kBackground);
  DrawPicture(stretched.Dc(), dib.data(), 64, 32, nullptr, RECT{0, 0, 128, 64});
  EXPECT_EQ(stretched.At(100, 50), RGB(220, 0, 0));
}

TEST(CFile, OpensReadsWritesSeeksAndKnowsItsFullPath) {
  ScratchDir dir;
  const std::string path = dir / "data.bin";
  CFile file;
  EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead));
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
  EXPECT_TRUE(file.Write("hello world", 11));
  EXPECT_EQ(file.GetLength(), 11u);
  EXPECT_EQ(file.Seek(6, CFile::begin), 6u);
  char text[8] = {};
  EXPECT_EQ(file.Read(text, 7), 5u);
  EXPECT_STREQ(text, "world");
  file.Close();
  EXPECT_EQ(file.Read(text, 1), 0u);

  // A relative path is kept as a full one.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(dir.Path().c_str());
  ASSERT_TRUE(file.Open("data.bin", CFile::modeRead));
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(file.GetLength(), 11u);
  char expected[MAX_PATH];
  GetFullPathNameA(path.c_str(), MAX_PATH, expected, nullptr);
  EXPECT_EQ(file.GetFilePath(), expected);
  // modeCreate alone truncates; with modeNoTruncate the content stays.
  file.Close();
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
  EXPECT_EQ(file.GetLength(), 11u);
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
  EXPECT_EQ(file.GetLength(), 0u);
}

TEST(PictureRects, CentringAndThePrintPageUseTheDeviceValues) {
  EXPECT_EQ(CentredRect(RECT{0, 0, 800, 600}, PictureSize{400, 300}).left, 200);
  const RECT overflow = CentredRect(RECT{0, 0, 1024, 700}, PictureSize{1100, 300});
  EXPECT_EQ(overflow.left, -38);
  EXPECT_EQ(overflow.right, 1062);
  EXPECT_EQ(overflow.top, 200);

  HDC screen = GetDC(nullptr);
  const int width = GetDeviceCaps(screen, HORZRES);
  const RECT page = PrintPageRect(screen, 1600, 1200);
  EXPECT_EQ(page.left, 0);
  EXPECT_EQ(page.top, 0);
  EXPECT_EQ(page.right, width);
  EXPECT_EQ(page.bottom, width * 3 / 4);
  ReleaseDC(nullptr, screen);
}

}  // namespace
