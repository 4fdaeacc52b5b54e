#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "browser/MyListView.h"
#include "browser/PrintCache.h"
#include "browser/PrintGrid.h"
#include "image/JpegFile.h"
#include "tests/support/ExifSegment.h"
#include "tests/support/TempDir.h"
#include "viewer/PagePicture.h"

namespace {

// A 600 dpi printer with a landscape printable area of 6600 x 5100 pixels, a 96 dpi screen.
PrintMetrics Printer600() { return PrintMetrics{6600, 5100, 600, 600, 96, 96}; }

TEST(PrintGrid, CellsOfTheBoxConvertedToPrinterPixels) {
  GridLayout grid = ComputeGridLayout(96, Printer600());
  EXPECT_EQ(grid.cellWidth, 612);
  EXPECT_EQ(grid.cellHeight, 612);
  EXPECT_EQ(grid.columns, 10);
  EXPECT_EQ(grid.rows, 8);
  EXPECT_EQ(grid.perPage, 80);
  EXPECT_EQ(grid.left, 240);  // (6600 - 6120) / 2: the columns are centred
  EXPECT_FALSE(grid.oversized);

  GridLayout largest = ComputeGridLayout(504, Printer600());
  EXPECT_EQ(largest.cellWidth, 3162);
  EXPECT_EQ(largest.columns, 2);
  EXPECT_EQ(largest.rows, 1);
  EXPECT_EQ(largest.perPage, 2);

  // Printer and screen resolutions differ per axis.
  GridLayout uneven = ComputeGridLayout(96, PrintMetrics{3000, 2000, 300, 150, 96, 120});
  EXPECT_EQ(uneven.cellWidth, 98 * 300 / 96);
  EXPECT_EQ(uneven.cellHeight, 98 * 150 / 120);
}

TEST(PrintGrid, PicturePlacedAtTheLeftOfItsCellAndCentredVertically) {
  GridLayout grid = ComputeGridLayout(96, Printer600());
  // 640 x 480 in a 96 box: 96 x 72, 12 screen pixels below the top: 600 x 450, 75 printer pixels.
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 0, 640, 480), (PrintRect{240, 75, 600, 450}));
  // Cell 10 starts the second row; cell 13 is its fourth column.
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 10, 640, 480), (PrintRect{240, 612 + 75, 600, 450}));
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 13, 640, 480), (PrintRect{240 + 3 * 612, 612 + 75, 600, 450}));
  // A tall picture fills the box's height, at the cell's left.
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 1, 480, 640), (PrintRect{240 + 612, 0, 450, 600}));
  // A square one fills the box.
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 0, 50, 50), (PrintRect{240, 0, 600, 600}));
  // An empty picture has no place.
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 0, 0, 480), (PrintRect{}));
}

// Stored 480 x 640 (left half red) with orientation 8, a quarter turn counter-clockwise: printed
// as the upright 640 x 480, whose bottom half is red, fitted as a wide picture.
TEST(PrintGrid, ATurnedPhotoIsPrintedUprightAndFittedByItsUprightAspect) {
  TempDir dir;
  std::vector<uint8_t> rgb(size_t{480} * 640 * 3, 0);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i + (i / 3 % 480 < 240 ? 0 : 2)] = 220;
  const std::string path = dir / "turned.jpg";
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), 480, 640, 90));
  ASSERT_TRUE(AddExifOrientation(path, 8));
  GridLayout grid = ComputeGridLayout(96, Printer600());
  PrintPicture picture = LoadPrintPicture(path, grid, Printer600());
  ASSERT_TRUE(picture.bits);
  EXPECT_EQ(picture.sourceWidth, 640u);
  EXPECT_EQ(picture.sourceHeight, 480u);
  EXPECT_EQ(picture.width, 600u);
  EXPECT_EQ(picture.height, 450u);
  EXPECT_EQ(PlaceInCell(grid, Printer600(), 0, picture.sourceWidth, picture.sourceHeight),
            (PrintRect{240, 75, 600, 450}));
  // DIB order: the first row is the bottom one; pixels are B, G, R.
  const uint8_t* bottom = picture.bits.get() + 300 * 3;
  const uint8_t* top = picture.bits.get() + size_t{449} * 600 * 3 + 300 * 3;
  EXPECT_GT(bottom[2], 150);
  EXPECT_GT(top[0], 150);
}

TEST(PrintGrid, PagesOfTheJob) {
  EXPECT_EQ(GridPageCount(81, 80), 2);
  EXPECT_EQ(GridPageCount(80, 80), 1);
  EXPECT_EQ(GridPageCount(0, 80), 0);
  EXPECT_EQ(GridPageCount(5, 2), 3);
  EXPECT_EQ(GridPageCount(5, 0), 0);
  // 81 records: page 2 holds the one picture left.
  PageSpan second = PageItems(2, 80, 81);
  EXPECT_EQ(second.first, 80u);
  EXPECT_EQ(second.end, 81u);
  PageSpan first = PageItems(1, 80, 81);
  EXPECT_EQ(first.end - first.first, 80u);
  // Past the last page, and page 0: nothing.
  EXPECT_EQ(PageItems(3, 80, 81).end, PageItems(3, 80, 81).first);
  EXPECT_EQ(PageItems(0, 80, 81).end, 0u);
  // 5 selected items among 200 print on one page.
  EXPECT_EQ(GridPageCount(5, 80), 1);
}

TEST(PrintGrid, ABoxTooLargeForThePageStillPrintsOnePictureAPageWithinIt) {
  // The largest box on a small label printer: not one cell fits.
  PrintMetrics label{1200, 800, 300, 300, 96, 96};
  GridLayout grid = ComputeGridLayout(504, label);
  EXPECT_TRUE(grid.oversized);
  EXPECT_EQ(grid.perPage, 1);
  EXPECT_EQ(GridPageCount(3, grid.perPage), 3);
  PrintRect r = PlaceInCell(grid, label, 0, 640, 480);
  EXPECT_EQ(r.height, 800);  // the limiting side fills the page
  EXPECT_EQ(r.y, 0);
  EXPECT_LE(r.x + r.width, 1200);
  EXPECT_LE(std::abs((1200 - r.width) / 2 - r.x), 1);  // centred across
  EXPECT_NEAR(static_cast<double>(r.width) / r.height, 640.0 / 480.0, 0.01);
}

// A loader that counts its decodes, as the list view's printing does.
struct CountingLoader {
  int decodes = 0;
  PrintPicture operator()(size_t index) {
    ++decodes;
    PrintPicture picture;
    picture.width = picture.height = 10;
    picture.bits = AllocatePixels(300);
    std::memset(picture.bits.get(), static_cast<int>(index), 300);
    return picture;
  }
};

// Prints page `page` of a job of `records` at `perPage` through the cache; the decodes it took.
int PrintThrough(PrintPictureCache& cache, CountingLoader& loader, int page, int perPage, size_t records) {
  const int before = loader.decodes;
  cache.BeginPage(page);
  PageSpan span = PageItems(page, perPage, records);
  for (size_t i = span.first; i < span.end; ++i)
    if (!cache.Find(i)) cache.Store(i, loader(i));
  return loader.decodes - before;
}

TEST(PrintCache, PreviewFromPageOneToThreeAndBackDecodesEachTime) {
  PrintPictureCache cache;
  CountingLoader loader;
  cache.Reset(200);
  EXPECT_EQ(PrintThrough(cache, loader, 1, 80, 200), 80);
  EXPECT_EQ(PrintThrough(cache, loader, 1, 80, 200), 0);   // the same page again: all cached
  EXPECT_EQ(PrintThrough(cache, loader, 3, 80, 200), 40);  // restarted for page 3
  EXPECT_EQ(cache.CachePage(), 3);
  EXPECT_EQ(cache.Held(), 40u);
  EXPECT_EQ(PrintThrough(cache, loader, 1, 80, 200), 80);  // restarted once more
  EXPECT_EQ(cache.CachePage(), 1);
  // Next to the cache page nothing restarts: page 2 adds its pictures to page 1's.
  EXPECT_EQ(PrintThrough(cache, loader, 2, 80, 200), 80);
  EXPECT_EQ(PrintThrough(cache, loader, 1, 80, 200), 0);
  EXPECT_EQ(cache.CachePage(), 1);
}

TEST(PrintCache, AccessOutsideTheRecordsFindsAndKeepsNothing) {
  PrintPictureCache cache;
  cache.Reset(3);
  CountingLoader loader;
  EXPECT_EQ(cache.Find(3), nullptr);
  EXPECT_EQ(cache.Store(3, loader(3)), nullptr);
  EXPECT_EQ(cache.Store(static_cast<size_t>(-1), loader(0)), nullptr);
  EXPECT_EQ(cache.Held(), 0u);
  EXPECT_EQ(cache.Bytes(), 0u);
  // A relisting with fewer records: what was held goes.
  ASSERT_NE(cache.Store(2, loader(2)), nullptr);
  cache.Reset(1);
  EXPECT_EQ(cache.Find(2), nullptr);
  EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(PrintCache, APictureThatCouldNotBeDecodedIsHeldEmptyAndNotDecodedAgain) {
  PrintPictureCache cache;
  cache.Reset(2);
  const PrintPicture* held = cache.Store(0, PrintPicture{});
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->bits, nullptr);
  EXPECT_EQ(cache.Find(0), held);
}

TEST(PrintCache, TheBudgetDropsTheLeastRecentlyUsedPicturesFirst) {
  // Room for three pictures of 300 bytes.
  PrintPictureCache cache(900);
  cache.Reset(10);
  CountingLoader loader;
  for (size_t i = 0; i < 3; ++i) cache.Store(i, loader(i));
  EXPECT_EQ(cache.Bytes(), 900u);
  cache.Find(0);  // 1 is now the oldest
  cache.Store(3, loader(3));
  EXPECT_EQ(cache.Bytes(), 900u);
  EXPECT_EQ(cache.Find(1), nullptr);
  ASSERT_NE(cache.Find(0), nullptr);
  EXPECT_EQ(cache.Find(0)->bits[0], 0);
  ASSERT_NE(cache.Find(3), nullptr);
  EXPECT_EQ(cache.Find(3)->bits[0], 3);
  // Replacing a slot's picture does not count it twice.
  cache.Store(3, loader(3));
  EXPECT_EQ(cache.Bytes(), 900u);
}

TEST(PagePicture, OnePhotoFittedToThePageAndCentred) {
  // 1600 x 1200 on a page 4800 wide at 600 x 600 dpi: the page's width, 3600 high, centred.
  RECT wide = FitPictureOnPage(1600, 1200, 4800, 6600, 600, 600);
  EXPECT_EQ(wide.left, 0);
  EXPECT_EQ(wide.right, 4800);
  EXPECT_EQ(wide.bottom - wide.top, 3600);
  EXPECT_EQ(wide.top, (6600 - 3600) / 2);
  // A tall panorama would run off the page across its width: it gets the page's height.
  RECT tall = FitPictureOnPage(1000, 4000, 4800, 6600, 600, 600);
  EXPECT_EQ(tall.top, 0);
  EXPECT_EQ(tall.bottom, 6600);
  EXPECT_EQ(tall.right - tall.left, 1650);
  EXPECT_EQ(tall.left, (4800 - 1650) / 2);
  // The printer's pixel aspect: 300 x 600 dpi doubles the height in pixels.
  RECT aspect = FitPictureOnPage(100, 100, 1000, 5000, 300, 600);
  EXPECT_EQ(aspect.right - aspect.left, 1000);
  EXPECT_EQ(aspect.bottom - aspect.top, 2000);
  // An empty picture has no place.
  RECT empty = FitPictureOnPage(0, 0, 1000, 1000, 300, 300);
  EXPECT_EQ(empty.right - empty.left, 0);
}

}  // namespace
