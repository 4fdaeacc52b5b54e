#include <gtest/gtest.h>

#include <thread>

#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

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
