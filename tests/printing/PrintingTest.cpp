// Printing through the real spooler: the fixture's cupsd with a CUPS-PDF queue as the default
// printer (run-with-printer.sh). Jobs land as PDF files, read back with poppler's tools.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "framework/PrintPreview.h"
#include "image/JpegFile.h"
#include "image/PixelBuffer.h"
#include "tests/app/AppFixture.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/PagePicture.h"
#include "viewer/ViewerList.h"

namespace {

// Distinct colours, one for each picture in index order.
const COLORREF kColours[] = {RGB(220, 30, 30),  RGB(30, 160, 40),   RGB(30, 50, 210), RGB(230, 200, 20),
                             RGB(200, 40, 200), RGB(20, 190, 200),  RGB(120, 60, 10), RGB(250, 130, 10),
                             RGB(90, 90, 90),   RGB(150, 200, 120), RGB(10, 10, 90),  RGB(240, 150, 180)};

void WriteSolid(const std::string& path, COLORREF colour, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = GetRValue(colour);
    rgb[i + 1] = GetGValue(colour);
    rgb[i + 2] = GetBValue(colour);
  }
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 95));
}

// The geometry of the default printer as the program sees it.
struct PrinterGeometry {
  int horzRes = 0, vertRes = 0, dpiX = 0, dpiY = 0, offsetX = 0, offsetY = 0, physicalWidth = 0;
};

class Printing : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_FALSE(PdfFolder().empty()) << "run through tests/printing/run-with-printer.sh";
    WaitForPrinterIdle();
    pdfsBefore_ = PdfFiles();
    ASSERT_TRUE(app_.InitInstance());
    list_ = Frame()->ListView();
  }
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(Viewers().windows.begin(), Viewers().windows.end()))
      viewer->SendMessage(WM_CLOSE);
    if (CPrintPreview* preview = ActivePrintPreview()) preview->Close();
    AppTest::TearDown();
    WaitForPrinterIdle();
    RemoveNewPdfs(pdfsBefore_);
  }
  // A folder of `count` solid pictures named so that the name order is the index order; the
  // names in `damaged` hold bytes that are no JPEG.
  void MakeFolder(int count, std::vector<int> damaged = {}) {
    for (int i = 0; i < count; ++i) {
      char name[32];
      wsprintfA(name, "pic%02d.jpg", i);
      bool broken = false;
      for (int d : damaged) broken |= d == i;
      if (broken)
        ASSERT_TRUE(WriteTestFile(dir_ / name, std::string(600, 'x')));
      else
        WriteSolid(dir_ / name, kColours[i % 12], 160, 120);
    }
  }
  // Lists the folder and lets its thumbnail worker finish, so that no relisting (which clears the
  // selection) comes in the middle of a test.
  void List() {
    list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(dir_.Path().c_str()));
    PumpUntil(
        [&] {
          for (size_t i = 0; i < list_->Records().size(); ++i) {
            std::string thumb = list_->ItemPath(static_cast<int>(i));
            thumb = thumb.substr(0, thumb.size() - 4) + ".cpg";
            if (GetFileAttributesA(thumb.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
          }
          return true;
        },
        20000);
    PumpMessages(300);
  }
  void Select(std::vector<int> items) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int i : items) {
      LVITEMA item{};
      item.stateMask = item.state = LVIS_SELECTED;
      list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  }
  void ActivateList() { Frame()->SetActiveView(list_); }
  // Runs the Print command of the active view, answering the dialog; the PDF it made.
  std::string PrintCommand() {
    std::set<std::string> before = PdfFiles();
    {
      PrintDialogAnswer answer;
      Command(ID_FILE_PRINT);
      EXPECT_TRUE(answer.Answered());
      selectionChosen_ = answer.SelectionChosen();
    }
    return WaitForNewPdf(before);
  }
  static PrinterGeometry Geometry() {
    PrinterGeometry g;
    PrinterSettings* defaults = AfxPrinterDefaults();
    HDC dc = defaults ? defaults->CreatePrinterDc() : nullptr;
    if (!dc) return g;
    g.horzRes = GetDeviceCaps(dc, HORZRES);
    g.vertRes = GetDeviceCaps(dc, VERTRES);
    g.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    g.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    g.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    g.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    g.physicalWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    DeleteDC(dc);
    return g;
  }
  int ScreenDpi() const {
    HDC dc = GetDC(list_->m_hWnd);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(list_->m_hWnd, dc);
    return dpi;
  }
  // The colour in the middle of the picture of cell `slot` of a page rendered at `dpi`.
  COLORREF CellColour(const PageImage& page, const PrinterGeometry& g, int box, int slot, int dpi) {
    PrintMetrics m{g.horzRes, g.vertRes, g.dpiX, g.dpiY, ScreenDpi(), ScreenDpi()};
    GridLayout grid = ComputeGridLayout(box, m);
    PrintRect r = PlaceInCell(grid, m, slot, 160, 120);
    // Printer pixels of the printable area to pixels of the rendered physical page.
    const double scale = static_cast<double>(page.width) / g.physicalWidth;
    const int x = static_cast<int>((g.offsetX + r.x + r.width / 2) * scale);
    const int y = static_cast<int>((g.offsetY + r.y + r.height / 2) * scale);
    (void)dpi;
    return page.At(x, y);
  }

  TempDir dir_;
  CMyListView* list_ = nullptr;
  bool selectionChosen_ = false;
  std::set<std::string> pdfsBefore_;
};

TEST_F(Printing, AFolderPrintsInLandscapeAsAGridOfItsPicturesInIndexOrder) {
  MakeFolder(12, {5});
  List();
  ActivateList();
  std::string pdf = PrintCommand();
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(list_->LastPrintOutcome(), PrintOutcome::Printed);
  PdfInfo info = ReadPdfInfo(pdf);
  EXPECT_EQ(info.pages, 1);
  EXPECT_GT(info.width, info.height);  // landscape
  // The application's defaults stay landscape for later jobs.
  EXPECT_EQ(AfxPrinterDefaults()->Orientation(), DMORIENT_LANDSCAPE);

  const PrinterGeometry g = Geometry();
  PrintMetrics m{g.horzRes, g.vertRes, g.dpiX, g.dpiY, ScreenDpi(), ScreenDpi()};
  GridLayout grid = ComputeGridLayout(96, m);
  ASSERT_GE(grid.perPage, 12);
  PageImage page = RenderPdfPage(pdf, 1, 50);
  ASSERT_GT(page.width, page.height);
  for (int i = 0; i < 12; ++i) {
    COLORREF colour = CellColour(page, g, 96, i, 50);
    // The damaged picture leaves its cell blank; the next cells keep their places.
    COLORREF expected = i == 5 ? RGB(255, 255, 255) : kColours[i];
    EXPECT_TRUE(Near(colour, expected)) << "cell " << i << ": " << std::hex << colour;
  }
  // Cell 12 is empty: the folder has 12 pictures.
  EXPECT_TRUE(Near(CellColour(page, g, 96, 12, 50), RGB(255, 255, 255)));
  // After the job nothing of it is left.
  EXPECT_EQ(g_imagesPerPage, -1);
  EXPECT_EQ(list_->PrintPageCount(), -1);
  EXPECT_EQ(list_->PrintCache().Held(), 0u);
}

TEST_F(Printing, TheLargestBoxPrintsTwoPicturesAPage) {
  SetThumbnailBox(504);
  MakeFolder(3);
  List();
  ActivateList();
  std::string pdf = PrintCommand();
  ASSERT_FALSE(pdf.empty());
  const PrinterGeometry g = Geometry();
  PrintMetrics m{g.horzRes, g.vertRes, g.dpiX, g.dpiY, ScreenDpi(), ScreenDpi()};
  ASSERT_EQ(ComputeGridLayout(504, m).perPage, 2);
  EXPECT_EQ(ReadPdfInfo(pdf).pages, 2);
  PageImage first = RenderPdfPage(pdf, 1, 30);
  PageImage second = RenderPdfPage(pdf, 2, 30);
  EXPECT_TRUE(Near(CellColour(first, g, 504, 0, 30), kColours[0]));
  EXPECT_TRUE(Near(CellColour(first, g, 504, 1, 30), kColours[1]));
  EXPECT_TRUE(Near(CellColour(second, g, 504, 0, 30), kColours[2]));
  EXPECT_TRUE(Near(CellColour(second, g, 504, 1, 30), RGB(255, 255, 255)));
}

TEST_F(Printing, ASelectionPrintsOnlyTheSelectedPictures) {
  MakeFolder(8);
  List();
  ActivateList();
  Select({2, 6});
  std::string pdf = PrintCommand();
  EXPECT_EQ(list_->LastPrintOutcome(), PrintOutcome::Printed);
  ASSERT_FALSE(pdf.empty());
  EXPECT_TRUE(selectionChosen_);
  EXPECT_EQ(ReadPdfInfo(pdf).pages, 1);
  const PrinterGeometry g = Geometry();
  PageImage page = RenderPdfPage(pdf, 1, 50);
  EXPECT_TRUE(Near(CellColour(page, g, 96, 0, 50), kColours[2]));
  EXPECT_TRUE(Near(CellColour(page, g, 96, 1, 50), kColours[6]));
  EXPECT_TRUE(Near(CellColour(page, g, 96, 2, 50), RGB(255, 255, 255)));
}

TEST_F(Printing, AnEmptyFolderStartsNoJob) {
  List();
  ActivateList();
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_PRINT));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_PRINT_PREVIEW));
  CPrintInfo info;
  info.m_bDirect = true;
  EXPECT_FALSE(list_->OnPreparePrinting(info));
  EXPECT_EQ(info.PrinterDc(), nullptr);
}

TEST_F(Printing, DecodingFollowsTheCachePageFromPageOneToThreeAndBack) {
  SetThumbnailBox(504);
  MakeFolder(8);
  List();
  CPrintInfo info;
  info.m_bPreview = true;
  ASSERT_TRUE(list_->OnPreparePrinting(info));
  list_->OnBeginPrinting(info.PrinterDc(), info);
  EXPECT_EQ(list_->PrintPageCount(), 4);
  EXPECT_EQ(info.GetMaxPage(), 4u);
  HDC canvas = CreateCompatibleDC(nullptr);
  auto printPage = [&](UINT page) {
    info.m_nCurPage = page;
    list_->OnPrint(canvas, info);
    return list_->PrintDecodes();
  };
  EXPECT_EQ(printPage(1), 2);
  EXPECT_EQ(printPage(2), 4);  // next to the cache page: page 1's pictures stay
  EXPECT_EQ(printPage(1), 4);
  EXPECT_EQ(printPage(3), 6);  // two away: the cache starts again
  EXPECT_EQ(printPage(1), 8);  // and again
  // Only pictures reduced to their printed width are held.
  const GridLayout& grid = list_->PrintGrid();
  EXPECT_LE(list_->PrintCache().Bytes(), 2ull * grid.cellWidth * grid.cellHeight * 3);
  DeleteDC(canvas);
  list_->OnEndPrinting(info.PrinterDc(), info);
  EXPECT_EQ(g_imagesPerPage, -1);
  EXPECT_EQ(list_->PrintCache().Held(), 0u);
}

class Preview : public Printing {
 protected:
  CPrintPreview* Open() {
    ActivateList();
    Command(ID_FILE_PRINT_PREVIEW);
    PumpMessages();
    return ActivePrintPreview();
  }
  void Click(CPrintPreview* preview, UINT id) {
    ::SendMessageA(preview->Button(id), BM_CLICK, 0, 0);
    PumpMessages();
  }
  // With LUMAVEX_SHOTS_DIR set, leaves a marker "<name>.ready" there and waits (drawing) until a
  // screenshot taker outside the process has removed it (tests/printing/take-shots.sh).
  void Shot(CPrintPreview* preview, const char* name) {
    const char* folder = getenv("LUMAVEX_SHOTS_DIR");
    if (!folder) return;
    UpdateWindow(preview->m_hWnd);
    PumpMessages(300);
    const std::string marker = std::string(folder) + "\\" + name + ".ready";
    WriteTestFile(marker, name);
    PumpUntil([&] { return GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES; }, 15000);
    DeleteFileA(marker.c_str());
  }
};

TEST_F(Preview, PagesStepZoomAndShowTwoAtATime) {
  SetThumbnailBox(504);
  MakeFolder(8);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->Info().GetMaxPage(), 4u);
  EXPECT_EQ(preview->CurrentPage(), 1u);
  EXPECT_FALSE(IsWindowEnabled(preview->Button(kPreviewPrev)));
  ASSERT_NE(preview->PageBitmap(1), nullptr);
  Shot(preview, "printing-preview-one-page");

  Click(preview, kPreviewNext);
  EXPECT_EQ(preview->CurrentPage(), 2u);
  EXPECT_TRUE(IsWindowEnabled(preview->Button(kPreviewPrev)));
  Click(preview, kPreviewNumPage);
  EXPECT_EQ(preview->PagesShown(), 2);
  EXPECT_NE(preview->PageBitmap(3), nullptr);
  Shot(preview, "printing-preview-two-pages");
  Click(preview, kPreviewNext);
  Click(preview, kPreviewNext);
  EXPECT_EQ(preview->CurrentPage(), 4u);
  EXPECT_FALSE(IsWindowEnabled(preview->Button(kPreviewNext)));
  Click(preview, kPreviewPrev);
  EXPECT_EQ(preview->CurrentPage(), 3u);

  // Repainting and going back draw no page again.
  const int drawn = preview->PagesDrawn();
  InvalidateRect(preview->m_hWnd, nullptr, TRUE);
  UpdateWindow(preview->m_hWnd);
  Click(preview, kPreviewPrev);
  EXPECT_EQ(preview->PagesDrawn(), drawn);

  Click(preview, kPreviewZoomIn);
  EXPECT_EQ(preview->Zoom(), 1);
  Click(preview, kPreviewZoomIn);
  EXPECT_EQ(preview->Zoom(), 2);
  EXPECT_FALSE(IsWindowEnabled(preview->Button(kPreviewZoomIn)));
  Shot(preview, "printing-preview-zoomed");
  Click(preview, kPreviewZoomOut);
  Click(preview, kPreviewZoomOut);
  EXPECT_EQ(preview->Zoom(), 0);
  EXPECT_EQ(preview->PagesDrawn(), drawn);

  Click(preview, kPreviewClose);
  EXPECT_EQ(ActivePrintPreview(), nullptr);
  EXPECT_EQ(g_imagesPerPage, -1);
  EXPECT_EQ(list_->PrintPageCount(), -1);
}

// The colour in the middle of cell `slot`'s picture on a preview page bitmap.
// Where the picture of `slot` lies in a preview page bitmap, in the bitmap's pixels.
RECT PreviewPictureRect(HBITMAP page, int box, int slot, uint32_t width, uint32_t height, int screenDpi) {
  BITMAP info{};
  GetObjectA(page, sizeof info, &info);
  PrinterSettings* defaults = AfxPrinterDefaults();
  HDC printer = defaults->CreatePrinterDc();
  PrintMetrics m{GetDeviceCaps(printer, HORZRES),
                 GetDeviceCaps(printer, VERTRES),
                 GetDeviceCaps(printer, LOGPIXELSX),
                 GetDeviceCaps(printer, LOGPIXELSY),
                 screenDpi,
                 screenDpi};
  DeleteDC(printer);
  PrintRect r = PlaceInCell(ComputeGridLayout(box, m), m, slot, width, height);
  return RECT{MulDiv(r.x, info.bmWidth, m.horzRes), MulDiv(r.y, info.bmHeight, m.vertRes),
              MulDiv(r.x + r.width, info.bmWidth, m.horzRes), MulDiv(r.y + r.height, info.bmHeight, m.vertRes)};
}

COLORREF PagePixel(HBITMAP page, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, page);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return colour;
}

COLORREF PreviewCell(HBITMAP page, int box, int slot, uint32_t width, uint32_t height, int screenDpi) {
  RECT r = PreviewPictureRect(page, box, slot, width, height, screenDpi);
  return PagePixel(page, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST_F(Preview, PageKeysStepAndEscapeCloses) {
  SetThumbnailBox(504);
  MakeFolder(5);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(GetFocus(), preview->m_hWnd);
  auto key = [&](UINT vk) {
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    PumpMessages();
  };
  key(VK_NEXT);
  key(VK_NEXT);
  EXPECT_EQ(preview->CurrentPage(), 3u);
  key(VK_NEXT);  // the last page stays
  EXPECT_EQ(preview->CurrentPage(), 3u);
  key(VK_PRIOR);
  EXPECT_EQ(preview->CurrentPage(), 2u);
  // A click on a bar button leaves the keys with the preview.
  Click(preview, kPreviewPrev);
  EXPECT_EQ(GetFocus(), preview->m_hWnd);
  key(VK_ESCAPE);
  EXPECT_EQ(ActivePrintPreview(), nullptr);
  EXPECT_EQ(g_imagesPerPage, -1);
}

TEST_F(Preview, APictureWhoseMemoryCannotBeHadLeavesItsCellBlank) {
  WriteSolid(dir_ / "a.jpg", kColours[0], 160, 120);
  WriteSolid(dir_ / "b.jpg", kColours[1], 2000, 1500);
  WriteSolid(dir_ / "c.jpg", kColours[2], 160, 120);
  List();
  // Room for the small pictures (57 KB), not for the large one even decoded at a reduced scale
  // (the cell is wider than its 1/8 scale, 250 pixels: read at 1/4, it takes 562 KB).
  SetPixelAllocationLimit(1 << 18);
  CPrintPreview* preview = Open();
  SetPixelAllocationLimit(0);
  ASSERT_NE(preview, nullptr);
  HBITMAP page = preview->PageBitmap(1);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(Near(PreviewCell(page, 96, 0, 160, 120, ScreenDpi()), kColours[0]));
  EXPECT_TRUE(Near(PreviewCell(page, 96, 1, 160, 120, ScreenDpi()), RGB(255, 255, 255)));
  EXPECT_TRUE(Near(PreviewCell(page, 96, 2, 160, 120, ScreenDpi()), kColours[2]));
}

TEST_F(Preview, TheCacheHoldsPicturesReducedToTheirPrintedSize) {
  for (int i = 0; i < 3; ++i) WriteSolid(dir_ / ("big" + std::to_string(i) + ".jpg"), kColours[i], 2000, 1500);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  const GridLayout& grid = list_->PrintGrid();
  ASSERT_EQ(list_->PrintCache().Held(), 3u);
  // A full photo would be 9 MB; each one held fits its cell.
  EXPECT_GT(list_->PrintCache().Bytes(), 0u);
  EXPECT_LE(list_->PrintCache().Bytes(), 3ull * grid.cellWidth * grid.cellHeight * 3);
  HBITMAP page = preview->PageBitmap(1);
  EXPECT_TRUE(Near(PreviewCell(page, 96, 1, 2000, 1500, ScreenDpi()), kColours[1]));
  // The reduced pictures are scaled to the screen like the page: none spills past its place.
  const RECT last = PreviewPictureRect(page, 96, 2, 2000, 1500, ScreenDpi());
  EXPECT_TRUE(Near(PagePixel(page, last.right - 2, (last.top + last.bottom) / 2), kColours[2]));
  EXPECT_TRUE(Near(PagePixel(page, last.right + 2, (last.top + last.bottom) / 2), RGB(255, 255, 255)));
  EXPECT_TRUE(Near(PagePixel(page, (last.left + last.right) / 2, last.bottom + 2), RGB(255, 255, 255)));
}

TEST_F(Preview, PrintFromThePreviewEndsItAndPrintsTheJob) {
  MakeFolder(3);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  std::set<std::string> before = PdfFiles();
  {
    PrintDialogAnswer answer;
    Click(preview, kPreviewPrint);
    EXPECT_EQ(ActivePrintPreview(), nullptr);
    PumpUntil([&] { return answer.Answered(); }, 10000);
    PumpMessages(500);
  }
  std::string pdf = WaitForNewPdf(before);
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(ReadPdfInfo(pdf).pages, 1);
  EXPECT_EQ(list_->LastPrintOutcome(), PrintOutcome::Printed);
}

TEST_F(Preview, APreviewPageShowsThePicturesOfItsCells) {
  SetThumbnailBox(504);
  MakeFolder(3);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  Click(preview, kPreviewNext);
  HBITMAP page = preview->PageBitmap(2);
  ASSERT_NE(page, nullptr);
  BITMAP info{};
  GetObjectA(page, sizeof info, &info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, page);
  const PrinterGeometry g = Geometry();
  PrintMetrics m{g.horzRes, g.vertRes, g.dpiX, g.dpiY, ScreenDpi(), ScreenDpi()};
  GridLayout grid = ComputeGridLayout(504, m);
  PrintRect first = PlaceInCell(grid, m, 0, 160, 120);
  PrintRect second = PlaceInCell(grid, m, 1, 160, 120);
  auto at = [&](const PrintRect& r) {
    return GetPixel(dc, MulDiv(r.x + r.width / 2, info.bmWidth, g.horzRes),
                    MulDiv(r.y + r.height / 2, info.bmHeight, g.vertRes));
  };
  EXPECT_TRUE(Near(at(first), kColours[2]));
  EXPECT_TRUE(Near(at(second), RGB(255, 255, 255)));
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST_F(Preview, TheSizeCommandsWaitWhileAPreviewIsOpen) {
  MakeFolder(3);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_THUMB_LARGEST));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_THUMB_SMALLER));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_PRINT));
  Command(ID_THUMB_LARGEST);
  PumpMessages();
  EXPECT_EQ(g_thumbnailWidth.load(), 96);
  EXPECT_EQ(g_imagesPerPage, list_->PrintGrid().perPage);
  preview->Close();
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_THUMB_LARGEST));
}

TEST_F(Preview, ARelistingLeavesThePreviewsJobAsItWas) {
  SetThumbnailBox(504);
  MakeFolder(4);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->Info().GetMaxPage(), 2u);
  // Two more pictures and a relisting: the job prints what it started from.
  WriteSolid(dir_ / "pic04.jpg", kColours[4], 160, 120);
  WriteSolid(dir_ / "pic05.jpg", kColours[5], 160, 120);
  list_->SendMessage(kWmListFolder, 0, 0);
  PumpMessages();
  ASSERT_EQ(list_->ItemCount(), 6);
  EXPECT_EQ(preview->Info().GetMaxPage(), 2u);
  EXPECT_EQ(list_->PrintJob().Paths().size(), 4u);
  EXPECT_EQ(list_->PrintCache().SlotCount(), 4u);
  Click(preview, kPreviewNext);
  EXPECT_EQ(preview->CurrentPage(), 2u);
  ASSERT_NE(preview->PageBitmap(2), nullptr);
}

// A preview of two selected photos of a folder without thumbnails: the worker makes them and
// relists the folder while the preview is open; the pages still show both photos.
TEST_F(Preview, APreviewOfTheSelectionKeepsItsPicturesWhileTheWorkerRelists) {
  SetThumbnailBox(504);
  MakeFolder(40);
  list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(dir_.Path().c_str()));
  const unsigned listing = Browser().thumbnailClaims.ListingsOf(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), 40);
  Select({3, 17});
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  ASSERT_TRUE(preview->Info().PrintSelection());
  EXPECT_EQ(preview->Info().GetMaxPage(), 1u);
  ASSERT_TRUE(PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(dir_.Path()) > listing; }, 60000));
  PumpMessages(200);
  // Drawn again after the relisting, from the job's own copy of the paths.
  preview->Refresh();
  PumpMessages();
  EXPECT_EQ(preview->Info().GetMaxPage(), 1u);
  HBITMAP page = preview->PageBitmap(1);
  ASSERT_NE(page, nullptr);
  BITMAP info{};
  GetObjectA(page, sizeof info, &info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, page);
  const PrinterGeometry g = Geometry();
  PrintMetrics m{g.horzRes, g.vertRes, g.dpiX, g.dpiY, ScreenDpi(), ScreenDpi()};
  GridLayout grid = ComputeGridLayout(504, m);
  auto at = [&](int slot) {
    const PrintRect r = PlaceInCell(grid, m, slot, 160, 120);
    return GetPixel(dc, MulDiv(r.x + r.width / 2, info.bmWidth, g.horzRes),
                    MulDiv(r.y + r.height / 2, info.bmHeight, g.vertRes));
  };
  EXPECT_TRUE(Near(at(0), kColours[3]));
  EXPECT_TRUE(Near(at(1), kColours[17 % 12]));
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST_F(Preview, ClosingTheMainWindowClosesThePreviewFirst) {
  MakeFolder(3);
  List();
  CPrintPreview* preview = Open();
  ASSERT_NE(preview, nullptr);
  HWND window = preview->m_hWnd;
  EXPECT_EQ(GetWindow(window, GW_OWNER), Frame()->m_hWnd);
  CloseFrame();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ActivePrintPreview(), nullptr);
  EXPECT_EQ(g_imagesPerPage, -1);
}

TEST_F(Printing, AViewerPrintsItsPhotoFittedAndCentredOnOnePage) {
  std::string path = dir_ / "wide.jpg";
  WriteSolid(path, RGB(30, 50, 210), 400, 100);
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  std::set<std::string> before = PdfFiles();
  {
    PrintDialogAnswer answer;
    viewer->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    EXPECT_TRUE(answer.Answered());
  }
  std::string pdf = WaitForNewPdf(before);
  ASSERT_FALSE(pdf.empty());
  PdfInfo info = ReadPdfInfo(pdf);
  EXPECT_EQ(info.pages, 1);
  EXPECT_GT(info.width, info.height);  // a wide picture prints in landscape
  const PrinterGeometry g = Geometry();
  PageImage page = RenderPdfPage(pdf, 1, 30);
  RECT r = FitPictureOnPage(400, 100, g.horzRes, g.vertRes, g.dpiX, g.dpiY);
  const double scale = static_cast<double>(page.width) / g.physicalWidth;
  auto at = [&](int x, int y) {
    return page.At(static_cast<int>((g.offsetX + x) * scale), static_cast<int>((g.offsetY + y) * scale));
  };
  const int midX = (r.left + r.right) / 2;
  const int midY = (r.top + r.bottom) / 2;
  EXPECT_TRUE(Near(at(midX, midY), RGB(30, 50, 210)));
  EXPECT_TRUE(Near(at(r.left + 20, midY), RGB(30, 50, 210)));
  EXPECT_TRUE(Near(at(r.right - 20, midY), RGB(30, 50, 210)));
  // White above and below: centred vertically.
  EXPECT_TRUE(Near(at(midX, r.top - 40), RGB(255, 255, 255)));
  EXPECT_TRUE(Near(at(midX, r.bottom + 40), RGB(255, 255, 255)));
  EXPECT_GT(r.top, 40);
  EXPECT_LT(r.bottom + 40, g.vertRes);
  // A tall picture turns the defaults to portrait.
  std::string tallPath = dir_ / "tall.jpg";
  WriteSolid(tallPath, RGB(200, 30, 30), 100, 300);
  CViewerFrame* tall = OpenViewer(tallPath);
  ASSERT_NE(tall, nullptr);
  CPrintInfo prepared;
  prepared.m_bDirect = true;
  ASSERT_TRUE(tall->View()->OnPreparePrinting(prepared));
  EXPECT_EQ(AfxPrinterDefaults()->Orientation(), DMORIENT_PORTRAIT);
}

TEST_F(Printing, PhotosNamedInOtherScriptsPrintFromTheListAndAViewer) {
  std::wstring longName;
  for (int i = 0; i < 41; ++i) longName += L"\u5199\u771F";
  const std::wstring wide[] = {L"\u6771\u4EAC\u30BF\u30EF\u30FC.jpg", L"\u0424\u043E\u0442\u043E 2001.jpg",
                               L"Snow \u2603 day.jpg", L"Caf\u00E9.jpg", longName + L".jpg"};
  std::vector<std::string> names;
  for (const std::wstring& name : wide) {
    char text[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, text, sizeof text, nullptr, nullptr);
    names.push_back(text);
    WriteSolid(dir_ / text, kColours[names.size() - 1], 160, 120);
  }
  List();
  ASSERT_EQ(list_->Records().size(), 5u);
  ActivateList();
  std::string pdf = PrintCommand();
  ASSERT_FALSE(pdf.empty());
  const PrinterGeometry g = Geometry();
  PageImage page = RenderPdfPage(pdf, 1, 50);
  for (int i = 0; i < 5; ++i) {
    const std::string& name = list_->Records()[static_cast<size_t>(i)].fileName;
    const size_t known = static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    ASSERT_LT(known, names.size()) << name;
    EXPECT_TRUE(Near(CellColour(page, g, 96, i, 50), kColours[known])) << name;
  }
  // A viewer of one of them prints its photo.
  CViewerFrame* viewer = OpenViewer(dir_ / names[0]);
  ASSERT_NE(viewer, nullptr);
  std::set<std::string> before = PdfFiles();
  {
    PrintDialogAnswer answer;
    viewer->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    EXPECT_TRUE(answer.Answered());
  }
  std::string viewerPdf = WaitForNewPdf(before);
  ASSERT_FALSE(viewerPdf.empty());
  EXPECT_EQ(ReadPdfInfo(viewerPdf).pages, 1);
  PageImage viewerPage = RenderPdfPage(viewerPdf, 1, 30);
  EXPECT_TRUE(Near(viewerPage.At(viewerPage.width / 2, viewerPage.height / 2), kColours[0]));
}

TEST_F(Printing, ThePreviewPaneOffersPrintingOnlyWithAPicture) {
  CMyScrollView* pane = Frame()->Preview();
  Frame()->SetActiveView(pane);
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_PRINT));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_PRINT_PREVIEW));
  std::string path = dir_ / "shown.jpg";
  WriteSolid(path, RGB(30, 160, 40), 120, 90);
  pane->SetImage(path);
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_FILE_PRINT));
  Command(ID_FILE_PRINT_PREVIEW);
  PumpMessages();
  CPrintPreview* preview = ActivePrintPreview();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->View(), pane);
  EXPECT_EQ(preview->Info().GetMaxPage(), 1u);
  EXPECT_FALSE(IsWindowEnabled(preview->Button(kPreviewNext)));
  ASSERT_NE(preview->PageBitmap(1), nullptr);
  preview->Close();
}

}  // namespace
