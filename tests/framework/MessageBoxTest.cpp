#include <gtest/gtest.h>

#include <thread>

#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "framework/YieldPoint.h"

namespace {

// A frame that counts its timer ticks.
class CTickFrame : public CFrameWnd {
 public:
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  void OnTimer(UINT_PTR) { ++ticks; }
  int ticks = 0;
};
const MessageMap CTickFrame::kMessageMap{&CFrameWnd::kMessageMap, {OnWmTimer(&CTickFrame::OnTimer)}};

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

TEST(MessageBoxSeam, RecordsTextCaptionAndButtonsAndAnswers) {
  CWinApp app("Lumavex");
  MessageBoxRecorder recorder(IDNO);
  EXPECT_EQ(AfxMessageBox("Error getting Application path"), IDNO);
  EXPECT_EQ(AfxMessageBox("Sure?", MB_YESNO | MB_ICONQUESTION, "JPEG Error"), IDNO);
  auto boxes = recorder.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Error getting Application path");
  EXPECT_EQ(boxes[0].caption, "Lumavex");  // the application's title by default
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(boxes[1].caption, "JPEG Error");
  EXPECT_EQ(boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST(MessageBoxSeam, BoxesFromWorkerThreadsAreRecordedToo) {
  MessageBoxRecorder recorder;
  std::thread worker([] { AfxMessageBox("from a worker", MB_OK, "JPEG Error"); });
  worker.join();
  ASSERT_EQ(recorder.Boxes().size(), 1u);
  EXPECT_EQ(recorder.Boxes()[0].text, "from a worker");
}

TEST(MessageBoxSeam, BoxesOfAnyThreadAreOwnedByTheMainWindow) {
  CWinApp app("Lumavex");
  CWnd frame;
  ASSERT_TRUE(frame.CreateEx(0, CWnd::RegisterClass(0), "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, 0));
  app.SetMainWnd(&frame);
  MessageBoxRecorder recorder;
  std::thread worker([] { AfxMessageBox("Premature end of JPEG file", MB_OK, "JPEG Error"); });
  worker.join();
  AfxMessageBox("from the user-interface thread");
  auto boxes = recorder.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].owner, frame.m_hWnd);
  EXPECT_EQ(boxes[1].owner, frame.m_hWnd);
  frame.DestroyWindow();
  EXPECT_EQ(app.MainWindowHandleAnyThread(), nullptr);
}

TEST(MessageBoxSeam, NestedRecorderKeepsRecordingAfterItEnds) {
  MessageBoxRecorder outer(IDCANCEL);
  {
    MessageBoxRecorder inner(IDYES);
    EXPECT_EQ(AfxMessageBox("inner"), IDYES);
  }
  // Still recording: a box here must not block.
  AfxMessageBox("after");
  EXPECT_EQ(outer.Boxes().size(), 1u);
}

}  // namespace

// A box is a yield point: while it is up, a frame's ticks and its close wait; afterwards each is
// posted once, and a weak handle tells that the frame has gone.
TEST(YieldPoint, ABoxHeldUpDefersTicksAndClosesAndPostsEachOnce) {
  CWinApp app("Lumavex");
  // A quit left by an earlier test would end the box's loop at once, as it ends a real one.
  MSG stale;
  while (PeekMessageA(&stale, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  auto* frame = new CTickFrame;
  ASSERT_TRUE(frame->CreateFrame(CWnd::RegisterClass(0), "frame", WS_OVERLAPPEDWINDOW));
  WeakWnd<CTickFrame> weak(frame);
  SetTimer(frame->m_hWnd, 7, 20, nullptr);
  MessageBoxRecorder recorder;
  const DWORD start = GetTickCount();
  int ticksWhileUp = -1;
  bool aliveWhileUp = false;
  recorder.HoldBoxes([&] {
    if (GetTickCount() - start < 300) {
      PostMessageA(weak.Handle(), WM_CLOSE, 0, 0);
      return false;
    }
    ticksWhileUp = frame->ticks;
    aliveWhileUp = weak.Get() == frame;
    return true;
  });
  EXPECT_EQ(AfxMessageBox("held"), IDOK);
  EXPECT_EQ(YieldDepth(), 0);
  EXPECT_EQ(ticksWhileUp, 0);
  EXPECT_TRUE(aliveWhileUp);
  EXPECT_EQ(DeferredMessageCount(), 0);  // all posted
  // The close comes once however often it was asked for, the tick at least once.
  MSG msg;
  int closes = 0, ticks = 0;
  while (PeekMessageA(&msg, frame->m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++closes;
  while (PeekMessageA(&msg, frame->m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE)) ++ticks;
  EXPECT_EQ(closes, 1);
  EXPECT_GE(ticks, 1);
  frame->SendMessage(WM_CLOSE);
  EXPECT_EQ(weak.Get(), nullptr);
  EXPECT_EQ(weak.Handle(), nullptr);
  Pump(50);
}
