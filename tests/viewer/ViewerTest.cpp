#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <psapi.h>

#include "image/JpegFile.h"
#include "image/PixelBuffer.h"
#include "tests/support/ExifSegment.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/ViewerList.h"

namespace {

// A picture whose left half is red and right half blue, saved as a JPEG.
std::string WritePicture(const TempDir& dir, const std::string& name, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = x < width / 2 ? 220 : 20;
      p[2] = x < width / 2 ? 20 : 220;
    }
  std::string path = dir / name;
  EXPECT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 95));
  return path;
}

RECT WindowRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(ViewerWindowSize, PictureAndFramesUpToTheScreen) {
  EXPECT_EQ(ViewerWindowSize(800, 600, 1024, 768, 4, 4, 19).cx, 812);
  EXPECT_EQ(ViewerWindowSize(800, 600, 1024, 768, 4, 4, 19).cy, 631);
  EXPECT_EQ(ViewerWindowSize(2000, 1500, 1024, 768, 4, 4, 19).cx, 1024);
  EXPECT_EQ(ViewerWindowSize(2000, 1500, 1024, 768, 4, 4, 19).cy, 748);
  // An empty picture: three frames wide, three frames and a caption high.
  EXPECT_EQ(ViewerWindowSize(0, 0, 1024, 768, 4, 4, 19).cx, 12);
  EXPECT_EQ(ViewerWindowSize(0, 0, 1024, 768, 4, 4, 19).cy, 31);
  // Exactly fitting stays; one more pixel takes the limit.
  EXPECT_EQ(ViewerWindowSize(1012, 717, 1024, 768, 4, 4, 19).cx, 1024);
  EXPECT_EQ(ViewerWindowSize(1012, 717, 1024, 768, 4, 4, 19).cy, 748);
  EXPECT_EQ(ViewerWindowSize(1013, 718, 1024, 768, 4, 4, 19).cx, 1024);
  EXPECT_EQ(ViewerWindowSize(1013, 718, 1024, 768, 4, 4, 19).cy, 748);
  EXPECT_EQ(ViewerWindowSize(0xFFFFFFF0u, 10, 1024, 768, 4, 4, 19).cx, 1024);  // no wrap-around
}

class Viewers : public testing::Test {
 protected:
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(::Viewers().windows.begin(), ::Viewers().windows.end()))
      viewer->SendMessage(WM_CLOSE);
    PumpMessages();
  }
  TempDir dir_;
};

TEST_F(Viewers, AViewerWindowIsSizedToItsPictureAndCentred) {
  std::string path = WritePicture(dir_, "harbour.jpg", 320, 200);
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(::Viewers().windows.back(), viewer);
  EXPECT_EQ(viewer->GetWindowText(), "harbour.jpg");
  EXPECT_TRUE(IsWindowVisible(viewer->m_hWnd));
  SIZE expected =
      ViewerWindowSize(320, 200, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYCAPTION));
  RECT r = WindowRect(viewer->m_hWnd);
  EXPECT_EQ(r.right - r.left, expected.cx);
  EXPECT_EQ(r.bottom - r.top, expected.cy);
  RECT desktop = WindowRect(GetDesktopWindow());
  EXPECT_NEAR((r.left + r.right) / 2, (desktop.left + desktop.right) / 2, 1);
  EXPECT_NEAR((r.top + r.bottom) / 2, (desktop.top + desktop.bottom) / 2, 1);
  ASSERT_NE(viewer->View()->Picture(), nullptr);
  EXPECT_EQ(viewer->View()->Picture()->width, 320u);
  EXPECT_EQ(viewer->View()->Path(), path);
}

// A camera's portrait photo: stored 4000 x 3000 (left half red) with orientation 6, a quarter turn
// clockwise. The window is sized for the upright 3000 x 4000 picture, whose top half is red.
TEST_F(Viewers, APhotoTurnedByItsExifOrientationShowsUpright) {
  std::string path = WritePicture(dir_, "portrait.jpg", 4000, 3000);
  ASSERT_TRUE(AddExifOrientation(path, 6));
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  const CDib* picture = viewer->View()->Picture();
  ASSERT_TRUE(picture && picture->bits);
  EXPECT_EQ(picture->width, 3000u);
  EXPECT_EQ(picture->height, 4000u);
  SIZE expected =
      ViewerWindowSize(3000, 4000, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYCAPTION));
  RECT r = WindowRect(viewer->m_hWnd);
  EXPECT_EQ(r.right - r.left, expected.cx);
  EXPECT_EQ(r.bottom - r.top, expected.cy);
  // DIB order: the last row is the top one; pixels are B, G, R.
  const uint8_t* top = picture->bits.get() + size_t{3999} * 3000 * 3 + 1500 * 3;
  const uint8_t* bottom = picture->bits.get() + 1500 * 3;
  EXPECT_GT(top[2], 150);
  EXPECT_LT(top[0], 80);
  EXPECT_LT(bottom[2], 80);
  EXPECT_GT(bottom[0], 150);
}

TEST_F(Viewers, AnUndecodableFileOpensAnEmptyBlackWindow) {
  std::string path = dir_ / "broken.jpg";
  WriteTestFile(path, "this is not a picture");
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  RECT r = WindowRect(viewer->m_hWnd);
  EXPECT_EQ(r.right - r.left, 3 * GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(r.bottom - r.top, 3 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(viewer->View()->Picture()->width, 0u);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrA(viewer->View()->m_hWnd, GCLP_HBRBACKGROUND)),
            GetStockObject(BLACK_BRUSH));
}

TEST_F(Viewers, F2AndF3StepThroughTheViewerListInACircle) {
  std::string path = WritePicture(dir_, "a.jpg", 64, 48);
  CViewerFrame* first = OpenViewer(path);
  CViewerFrame* second = OpenViewer(path);
  CViewerFrame* third = OpenViewer(path);
  ASSERT_TRUE(first && second && third);
  // The keys reach the window through its view, which passes them on.
  third->View()->SendMessage(WM_KEYDOWN, VK_F3);
  EXPECT_EQ(GetActiveWindow(), first->m_hWnd);
  first->View()->SendMessage(WM_KEYDOWN, VK_F2);
  EXPECT_EQ(GetActiveWindow(), third->m_hWnd);
  first->SendMessage(WM_KEYDOWN, VK_F3);
  EXPECT_EQ(GetActiveWindow(), second->m_hWnd);

  second->SendMessage(WM_CLOSE);
  PumpMessages();
  ASSERT_EQ(::Viewers().windows.size(), 2u);
  first->SendMessage(WM_KEYDOWN, VK_F3);
  EXPECT_EQ(GetActiveWindow(), third->m_hWnd);
}

TEST_F(Viewers, ClosingRemovesTheWindowFromTheList) {
  CViewerFrame* viewer = OpenViewer(WritePicture(dir_, "a.jpg", 64, 48));
  HWND hwnd = viewer->m_hWnd;
  viewer->PostMessage(WM_CLOSE);
  PumpMessages();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(::Viewers().windows.empty());
}

TEST_F(Viewers, AWindowDestroyedWithoutClosingLeavesTheListAndF2AndF3StepOverIt) {
  std::string path = WritePicture(dir_, "a.jpg", 64, 48);
  CViewerFrame* first = OpenViewer(path);
  CViewerFrame* second = OpenViewer(path);
  CViewerFrame* third = OpenViewer(path);
  ASSERT_TRUE(first && second && third);
  ASSERT_TRUE(DestroyWindow(second->m_hWnd));
  EXPECT_EQ(::Viewers().windows, (std::list<CWnd*>{first, third}));
  first->View()->SendMessage(WM_KEYDOWN, VK_F3);
  EXPECT_EQ(GetActiveWindow(), third->m_hWnd);
  third->View()->SendMessage(WM_KEYDOWN, VK_F2);
  EXPECT_EQ(GetActiveWindow(), first->m_hWnd);
  first->View()->SendMessage(WM_KEYDOWN, VK_F2);
  EXPECT_EQ(GetActiveWindow(), third->m_hWnd);

  third->DestroyWindow();
  first->DestroyWindow();
  EXPECT_TRUE(::Viewers().windows.empty());
}

TEST_F(Viewers, APictureThatDoesNotFitInMemoryOpensLikeAnUndecodableFile) {
  std::string path = WritePicture(dir_, "large.jpg", 400, 300);
  SetPixelAllocationLimit(100000);  // less than the 360000 bytes of its pixels
  CViewerFrame* viewer = OpenViewer(path);
  SetPixelAllocationLimit(0);
  ASSERT_NE(viewer, nullptr);
  RECT r = WindowRect(viewer->m_hWnd);
  EXPECT_EQ(r.right - r.left, 3 * GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(r.bottom - r.top, 3 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
  ASSERT_NE(viewer->View()->Picture(), nullptr);
  EXPECT_EQ(viewer->View()->Picture()->width, 0u);
  EXPECT_EQ(viewer->View()->Picture()->bits, nullptr);
  EXPECT_EQ(viewer->View()->Path(), path);
  viewer->UpdateWindow();
  EXPECT_EQ(::Viewers().windows.size(), 1u);
}

// The preview drawn into a memory bitmap of the view's client size.
class PreviewDrawing : public testing::Test {
 protected:
  void SetUp() override {
    parent_.CreateEx(0, CWnd::RegisterClass(0), "host", WS_POPUP, 0, 0, 400, 300, nullptr, 0);
    view_ = new CMyScrollView;  // views delete themselves with their window
    ASSERT_TRUE(view_->Create(&parent_, 1, RECT{0, 0, 200, 100}, WS_CHILD | WS_VISIBLE));
    view_->SendMessage(0x0364);
  }
  void TearDown() override { parent_.DestroyWindow(); }

  // Paints the view into a bitmap of its client size, prefilled with green; returns pixel (x, y).
  std::vector<COLORREF> Paint(int width, int height) {
    SetWindowPos(view_->m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER);
    RECT client = view_->GetClientRect();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &client, green);
    view_->OnDraw(dc);
    std::vector<COLORREF> pixels;
    pixels.push_back(GetPixel(dc, 2, client.bottom / 2));                 // left edge
    pixels.push_back(GetPixel(dc, client.right - 3, client.bottom / 2));  // right edge
    pixels.push_back(GetPixel(dc, client.right / 2, 1));                  // top middle
    SelectObject(dc, old);
    DeleteObject(green);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
  }

  CWnd parent_;
  CMyScrollView* view_ = nullptr;
  TempDir dir_;
};

bool Reddish(COLORREF c) { return GetRValue(c) > 150 && GetBValue(c) < 90; }
bool Bluish(COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 90; }
bool Green(COLORREF c) { return c == RGB(0, 255, 0); }

TEST_F(PreviewDrawing, AnEmptyPathDrawsNothing) {
  for (COLORREF c : Paint(200, 100)) EXPECT_TRUE(Green(c));
}

TEST_F(PreviewDrawing, APictureThatCannotBeDecodedOrCopiedForLackOfMemoryDrawsNothing) {
  const std::string path = WritePicture(dir_, "p.jpg", 160, 90);
  SetPixelAllocationLimit(160 * 90);  // the decode needs three times that
  view_->SetImage(path);
  SetPixelAllocationLimit(0);
  EXPECT_EQ(view_->Path(), path);
  ASSERT_NE(view_->Picture(), nullptr);
  EXPECT_EQ(view_->Picture()->width, 0u);
  for (COLORREF c : Paint(300, 200)) EXPECT_TRUE(Green(c));

  // Decoded, but the padded copy that painting rows of 161 x 3 bytes needs cannot be had.
  const std::string odd = WritePicture(dir_, "q.jpg", 161, 90);
  view_->SetImage(odd);
  ASSERT_NE(view_->Picture()->bits, nullptr);
  SetPixelAllocationLimit(1000);
  std::vector<COLORREF> pixels = Paint(161 + 2 * GetSystemMetrics(SM_CXEDGE), 90 + 2 * GetSystemMetrics(SM_CYEDGE));
  SetPixelAllocationLimit(0);
  for (COLORREF c : pixels) EXPECT_TRUE(Green(c));
  EXPECT_TRUE(Reddish(Paint(161 + 2 * GetSystemMetrics(SM_CXEDGE), 90 + 2 * GetSystemMetrics(SM_CYEDGE))[0]));
}

PROCESS_MEMORY_COUNTERS MemoryCounters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

TEST_F(PreviewDrawing, TheNextPictureIsDecodedAfterThePreviousOneIsLetGo) {
  // Pictures of 24 MB: holding the old one while decoding the next would need twice that.
  const std::string first = WritePicture(dir_, "first.jpg", 4000, 2000);
  const std::string second = WritePicture(dir_, "second.jpg", 4000, 2000);
  const size_t pictureBytes = 4000u * 2000u * 3u;
  const size_t before = MemoryCounters().PagefileUsage;
  view_->SetImage(first);
  view_->SetImage(second);
  ASSERT_EQ(view_->Picture()->width, 4000u);
  EXPECT_LT(MemoryCounters().PeakPagefileUsage - before, pictureBytes * 3 / 2);
}

TEST_F(PreviewDrawing, APictureOfTheClientSizeFillsItOneToOne) {
  int border = GetSystemMetrics(SM_CXEDGE) * 2;
  view_->SetImage(WritePicture(dir_, "p.jpg", 160, 90));
  std::vector<COLORREF> px = Paint(160 + border, 90 + border);
  EXPECT_TRUE(Reddish(px[0]));
  EXPECT_TRUE(Bluish(px[1]));
  EXPECT_FALSE(Green(px[2]));
}

TEST_F(PreviewDrawing, ASmallPictureIsCentredAtItsNaturalSize) {
  view_->SetImage(WritePicture(dir_, "p.jpg", 40, 20));
  std::vector<COLORREF> px = Paint(300, 200);
  EXPECT_TRUE(Green(px[0]));  // centred: the edges stay as they were
  EXPECT_TRUE(Green(px[1]));
  EXPECT_TRUE(Green(px[2]));
  view_->SetImage("");  // blanking keeps the picture object but draws nothing
  EXPECT_NE(view_->Picture(), nullptr);
  for (COLORREF c : Paint(300, 200)) EXPECT_TRUE(Green(c));
}

}  // namespace
