#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "image/JpegFile.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/MySlideShowView.h"
#include "viewer/SlideShowFrame.h"
#include "viewer/ViewerList.h"

namespace {

uint64_t fakeNow = 0;
uint64_t FakeNow() { return fakeNow; }
void FakeSleep(unsigned milliseconds) { fakeNow += uint64_t{milliseconds} * 1000; }

// A picture of one colour, saved as a JPEG.
void WritePicture(const std::string& path, uint32_t width, uint32_t height, uint8_t red, uint8_t blue) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = red;
    rgb[i + 2] = blue;
  }
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 95));
}

// A picture of noise, which keeps its size in the file: cut short, its last rows are missing.
void WriteNoise(const std::string& path, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  uint32_t state = 12345;
  for (uint8_t& value : rgb) {
    state = state * 1103515245u + 12345u;
    value = static_cast<uint8_t>(state >> 24);
  }
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 90));
}

int sleepsCounted = 0;
void CountedSleep(unsigned milliseconds) {
  ++sleepsCounted;
  Sleep(milliseconds);
}

// The running program, a folder of three pictures listed in its list view, and transitions that
// take no time.
class SlideShow : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetSlidePacing({&FakeNow, &FakeSleep});
    ASSERT_TRUE(app_.InitInstance());
    // The tests step the show with ticks of their own; those that let it run set the interval.
    Frame()->SetSlideInterval(3600000);
    list_ = Frame()->ListView();
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WritePicture(dir_ / name, 64, 48, 200, 10);
    List(dir_.Path());
    // The thumbnail worker writes the three thumbnails, then lists the folder again; the tests
    // start once that is over, so that their selections stay.
    ASSERT_TRUE(PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(dir_.Path()) >= 2; }, 20000));
    PumpMessages(200);
    ASSERT_EQ(list_->ItemCount(), 3);
  }
  void TearDown() override {
    if (CSlideShowFrame* show = Frame() ? Frame()->SlideShowWindow() : nullptr) show->DestroyWindow();
    AppTest::TearDown();
    SetSlidePacing({});
  }
  void List(const std::string& folder) {
    list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  }
  void Select(std::vector<int> items) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int item : items) {
      LVITEMA lv{};
      lv.stateMask = LVIS_SELECTED;
      lv.state = LVIS_SELECTED;
      list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    }
  }
  CSlideShowFrame* Start(std::vector<int> items) {
    Select(items);
    Command(ID_TOOLS_SLIDESHOW);
    PumpMessages();
    return Frame()->SlideShowWindow();
  }
  void Tick() {
    Frame()->SendMessage(WM_TIMER, 1);
    PumpMessages();
  }
  // The key or click goes to the show's view, where the user's input lands.
  void Key(CSlideShowFrame* show, UINT key) {
    show->View()->PostMessage(WM_KEYDOWN, key, 1);
    PumpMessages();
  }
  void Click(CSlideShowFrame* show) {
    show->View()->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    show->View()->PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    PumpMessages();
  }
  std::string Shown(CSlideShowFrame* show) { return show->View()->Path(); }
  // True when the frame's slide timer was still running (and stops it).
  bool TimerWasRunning() { return KillTimer(Frame()->m_hWnd, 1) != FALSE; }

  TempDir dir_;
  CMyListView* list_ = nullptr;
};

TEST_F(SlideShow, TheCommandIsEnabledOnlyWithASelection) {
  Select({});
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_TOOLS_SLIDESHOW));
  Command(ID_TOOLS_SLIDESHOW);
  EXPECT_EQ(Frame()->SlideShowWindow(), nullptr);
  Select({1});
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_TOOLS_SLIDESHOW));
}

TEST_F(SlideShow, OnePictureIsShownAndTheFirstTickClosesTheShow) {
  CSlideShowFrame* show = Start({1});
  ASSERT_NE(show, nullptr);
  HWND window = show->m_hWnd;
  EXPECT_EQ(show->GetWindowText(), "b.jpg");
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_POPUP), WS_POPUP);
  EXPECT_TRUE(IsWindowVisible(window));
  Tick();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Frame()->SlideShowWindow(), nullptr);
  EXPECT_FALSE(TimerWasRunning());
}

TEST_F(SlideShow, ThreePicturesStepAndClose) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  HWND window = show->m_hWnd;
  EXPECT_EQ(Shown(show), dir_ / "a.jpg");
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "c.jpg");
  EXPECT_EQ(show->GetWindowText(), "a.jpg");  // the title stays the first picture's
  Tick();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(TimerWasRunning());
}

TEST_F(SlideShow, OtherTimerIdsAndPausedTicksDoNothing) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  Frame()->SendMessage(WM_TIMER, 2);
  PumpMessages();
  EXPECT_EQ(Shown(show), dir_ / "a.jpg");
  Key(show, VK_F4);
  EXPECT_TRUE(show->Paused());
  Tick();
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "a.jpg");
  Key(show, VK_F4);
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
}

TEST_F(SlideShow, F2OnTheThirdPictureShowsTheSecondAgain) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  Tick();
  Key(show, VK_F2);  // on the second picture: nothing
  EXPECT_EQ(Frame()->SlideShow().index, 1);
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "c.jpg");
  Key(show, VK_F2);
  EXPECT_EQ(Frame()->SlideShow().index, 0);
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
}

TEST_F(SlideShow, AClickPausesAndASecondClickResumes) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  Click(show);
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "a.jpg");
  Click(show);
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
}

TEST_F(SlideShow, EscapeClosesTheShowAndStopsTheTimer) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  HWND window = show->m_hWnd;
  Key(show, VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Frame()->SlideShowWindow(), nullptr);
  EXPECT_FALSE(TimerWasRunning());
}

TEST_F(SlideShow, DeselectingEndsTheShowAtTheNextTick) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  HWND window = show->m_hWnd;
  Select({2});
  Tick();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(SlideShow, ASecondShowClosesTheFirstAndKeepsItsTimer) {
  CSlideShowFrame* first = Start({0, 1, 2});
  ASSERT_NE(first, nullptr);
  HWND firstWindow = first->m_hWnd;
  CSlideShowFrame* second = Start({1, 2});
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_EQ(Frame()->SlideShowWindow(), second);
  Tick();
  EXPECT_EQ(Shown(second), dir_ / "c.jpg");
  EXPECT_TRUE(TimerWasRunning());
}

TEST_F(SlideShow, AShowDestroyedWithoutClosingLeavesNoWindowBehindInTheFrame) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  show->DestroyWindow();
  EXPECT_EQ(Frame()->SlideShowWindow(), nullptr);
  Tick();  // nothing to advance, nothing touched
  EXPECT_FALSE(TimerWasRunning());
}

TEST_F(SlideShow, ARelistingOfTheFolderDoesNotEndTheShow) {
  // The show goes on through its own names, whatever the relisting and the user do to the list.
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  list_->SendMessage(kWmListFolder, 0, 0);
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED;
  list_->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  ASSERT_EQ(list_->SelectedCount(), 0);
  Tick();
  ASSERT_EQ(Frame()->SlideShowWindow(), show);
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
  Tick();
  ASSERT_EQ(Frame()->SlideShowWindow(), show);
  EXPECT_EQ(Shown(show), dir_ / "c.jpg");
  Tick();
  EXPECT_EQ(Frame()->SlideShowWindow(), nullptr);
}

TEST_F(SlideShow, TheShowKeepsItsFolderWhenTheListMovesOn) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  TempDir other;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) WritePicture(other / name, 32, 32, 10, 200);
  List(other.Path());
  Select({0, 1, 2, 3});
  Tick();
  ASSERT_EQ(Frame()->SlideShowWindow(), show);
  EXPECT_EQ(Shown(show), dir_ / "b.jpg");
  ASSERT_NE(show->View()->Picture(), nullptr);
  EXPECT_EQ(show->View()->Picture()->width, 64u);
}

TEST_F(SlideShow, TheShowsClientAreaIsTheWholeScreen) {
  CSlideShowFrame* show = Start({0});
  ASSERT_NE(show, nullptr);
  Key(show, VK_F3);
  HWND view = show->View()->m_hWnd;
  POINT origin{0, 0};
  ClientToScreen(view, &origin);
  RECT client;
  GetClientRect(view, &client);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(origin.x, desktop.left);
  EXPECT_EQ(origin.y, desktop.top);
  EXPECT_EQ(client.right, desktop.right - desktop.left);
  EXPECT_EQ(client.bottom, desktop.bottom - desktop.top);
}

TEST_F(SlideShow, ThePictureIsComposedAtTheTopLeftCorner) {
  CSlideShowFrame* show = Start({0});
  ASSERT_NE(show, nullptr);
  CMySlideShowView* view = show->View();
  RECT client = view->GetClientRect();
  HDC screen = GetDC(view->m_hWnd);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, client.right, client.bottom};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(view->Present(memory, SlideTransitionChoice{0, 0}), TransitionStepCount(0, 64, 48, 0));
  COLORREF inside = GetPixel(memory, 32, 24);
  EXPECT_GT(GetRValue(inside), 150);
  EXPECT_LT(GetBValue(inside), 60);
  EXPECT_EQ(GetPixel(memory, 64, 24), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(memory, 32, 48), RGB(0, 0, 0));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(view->m_hWnd, screen);
}

TEST_F(SlideShow, AnUndecodableFileShowsBlackWithoutATransition) {
  ASSERT_TRUE(WriteTestFile(dir_ / "b.jpg", "not a picture"));
  CSlideShowFrame* show = Start({1});
  ASSERT_NE(show, nullptr);
  HDC dc = GetDC(show->View()->m_hWnd);
  EXPECT_EQ(show->View()->Present(dc, SlideTransitionChoice{0, 0}), -1);
  ReleaseDC(show->View()->m_hWnd, dc);
  EXPECT_EQ(show->GetWindowText(), "b.jpg");
}

// The last picture makes the library warn. Its box stays up past the tick that ends the show: the
// tick waits for the box, and the show closes afterwards without touching what it freed.
TEST_F(SlideShow, AWarningBoxLeftUpPastTheTickEndsTheShowOnlyAfterIt) {
  WriteNoise(dir_ / "c.jpg", 320, 240);
  const std::string bytes = ReadTestFile(dir_ / "c.jpg");
  ASSERT_TRUE(WriteTestFile(dir_ / "c.jpg", bytes.substr(0, bytes.size() * 3 / 4)));
  DWORD boxUp = 0;
  boxes_.HoldBoxes([&] {
    if (!boxUp) boxUp = GetTickCount();
    return GetTickCount() - boxUp > 4000;
  });
  Frame()->SetSlideInterval(3000);
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  HWND window = show->m_hWnd;
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }, 30000));
  const auto shown = boxes_.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "JPEG Error");
  const auto& timeline = Frame()->SlideTimeline();
  ASSERT_EQ(timeline.size(), 3u);
  EXPECT_EQ(timeline[2].path, dir_ / "c.jpg");
  EXPECT_GE(timeline[2].replacedAt - boxUp, 4000u);
}

// Screen-sized pictures and transitions at their real pace, the second one (effect 12, about 5 s at
// 1280 x 1024) longer than the interval: every picture is whole on screen for the interval after
// its transition, and a repaint replays no transition.
TEST_F(SlideShow, EachPictureStaysWholeForTheIntervalAfterItsTransition) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WritePicture(dir_ / name, 1280, 1024, 30, 200);
  SetSlidePacing({nullptr, &CountedSleep});
  srand(3);  // effects 14, 12, 13, whichever tests ran before
  Frame()->SetSlideInterval(3000);
  const DWORD started = GetTickCount();
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  HWND window = show->m_hWnd;
  ASSERT_TRUE(PumpUntil([&] { return !Frame()->SlideTimeline().empty(); }, 30000));
  sleepsCounted = 0;
  InvalidateRect(show->View()->m_hWnd, nullptr, TRUE);
  UpdateWindow(show->View()->m_hWnd);
  EXPECT_EQ(sleepsCounted, 0);
  EXPECT_FALSE(show->View()->TransitionPending());
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }, 90000));
  const auto& timeline = Frame()->SlideTimeline();
  ASSERT_EQ(timeline.size(), 3u);
  DWORD transitionStart = started;
  for (const auto& picture : timeline) {
    EXPECT_GE(picture.replacedAt - picture.wholeAt, 2500u) << picture.path;
    std::printf("%s: transition %lu ms, then whole for %lu ms\n", picture.path.c_str(),
                picture.wholeAt - transitionStart, picture.replacedAt - picture.wholeAt);
    transitionStart = picture.replacedAt;
  }
}

// The pause belongs to one show: pausing from a viewer while the show is on screen pauses it, a
// new show starts running, and a viewer's F4 leaves a show that is not on screen alone.
TEST_F(SlideShow, ThePauseBelongsToTheShowOnScreen) {
  CSlideShowFrame* show = Start({0, 1, 2});
  ASSERT_NE(show, nullptr);
  CViewerFrame* viewer = OpenViewer(dir_ / "a.jpg");
  ASSERT_NE(viewer, nullptr);
  ShowWindow(show->m_hWnd, SW_SHOW);
  viewer->SendMessage(WM_KEYDOWN, VK_F4);
  EXPECT_TRUE(show->Paused());
  Tick();
  EXPECT_EQ(Shown(show), dir_ / "a.jpg");
  Key(show, VK_ESCAPE);
  CSlideShowFrame* next = Start({0, 1});
  ASSERT_NE(next, nullptr);
  EXPECT_FALSE(next->Paused());
  Tick();
  EXPECT_EQ(Shown(next), dir_ / "b.jpg");
  ShowWindow(next->m_hWnd, SW_HIDE);
  viewer->SendMessage(WM_KEYDOWN, VK_F4);
  EXPECT_FALSE(next->Paused());
  viewer->SendMessage(WM_CLOSE);
  PumpMessages();
}

TEST(SlideShowView, IsCreatableByName) {
  const CRuntimeClass* cls = CRuntimeClass::FromName("CMySlideShowView");
  ASSERT_NE(cls, nullptr);
  CObject* object = cls->CreateObject();
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(object->IsKindOf(&CScrollView::kClass));
  delete object;
}

}  // namespace
