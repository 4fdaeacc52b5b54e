#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

class CWatchingFrame : public CFrameWnd {
 public:
  bool Create() { return CreateFrame(RegisterClass(0, LoadCursorA(nullptr, IDC_ARROW)), "watch", WS_OVERLAPPEDWINDOW); }
  bool PreTranslateMessage(MSG* msg) override {
    seen.push_back(msg->message);
    return CFrameWnd::PreTranslateMessage(msg);
  }
  std::vector<UINT> seen;
};

class PreTranslate : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = new CWatchingFrame;  // deletes itself with its window
    ASSERT_TRUE(frame_->Create());
    app_.SetMainWnd(frame_);
    child_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, frame_->m_hWnd, nullptr, nullptr, nullptr);
    other_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, frame_->m_hWnd, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(other_);
    frame_->DestroyWindow();
  }
  bool Offer(HWND hwnd, UINT message) {
    MSG msg{hwnd, message, 0, 0, 0, {}};
    return app_.PreTranslateMessage(&msg);
  }

  CWinApp app_{"PreTranslateTest"};
  CWatchingFrame* frame_ = nullptr;
  HWND child_ = nullptr;
  HWND other_ = nullptr;
};

TEST_F(PreTranslate, TheMainWindowSeesItsOwnWindowsMessagesOnce) {
  Offer(child_, WM_USER + 1);
  Offer(frame_->m_hWnd, WM_USER + 2);
  EXPECT_EQ(frame_->seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
}

TEST_F(PreTranslate, ThreadMessagesAndOtherTopLevelWindowsReachTheMainWindow) {
  // A scanner source announces its events so: the main window must get to see them.
  Offer(nullptr, WM_USER + 3);
  Offer(other_, WM_USER + 4);
  EXPECT_EQ(frame_->seen, (std::vector<UINT>{WM_USER + 3, WM_USER + 4}));
}

}  // namespace
