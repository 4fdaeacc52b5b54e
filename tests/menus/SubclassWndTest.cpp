#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "menus/SubclassWnd.h"

namespace {

constexpr UINT kProbe = WM_APP + 7;

// A window of ours that notes which messages reached its own procedure.
class NotingWnd : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kProbe) {
      trail->push_back("window");
      return 42;
    }
    if (message == WM_NCDESTROY) hookedAtNcDestroy = CSubclassWnd::HookOf(m_hWnd) != nullptr;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  std::vector<std::string>* trail = nullptr;
  bool hookedAtNcDestroy = true;
};

// A hook that notes its name and passes the message on.
class NamedHook : public CSubclassWnd {
 public:
  NamedHook(std::string name, std::vector<std::string>& trail) : name_(std::move(name)), trail_(trail) {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kProbe) trail_.push_back(name_);
    return CSubclassWnd::HandleMessage(message, wParam, lParam);
  }

 private:
  std::string name_;
  std::vector<std::string>& trail_;
};

class SubclassWnd : public testing::Test {
 protected:
  void SetUp() override {
    window_.trail = &trail_;
    ASSERT_TRUE(window_.CreateEx(0, CWnd::RegisterClass(0), "hooked", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, 0));
    original_ = GetWindowLongPtrA(window_.m_hWnd, GWLP_WNDPROC);
  }
  std::vector<std::string> Probe() {
    trail_.clear();
    EXPECT_EQ(window_.SendMessage(kProbe), 42);
    return trail_;
  }
  using Trail = std::vector<std::string>;

  std::vector<std::string> trail_;
  NotingWnd window_;
  LONG_PTR original_ = 0;
};

TEST_F(SubclassWnd, HooksRunLatestFirstAndTheMiddleOneLeavesTheChainWhole) {
  NamedHook first("first", trail_), middle("middle", trail_), last("last", trail_);
  first.HookTo(&window_);
  middle.HookTo(&window_);
  last.HookTo(&window_);
  EXPECT_EQ(CSubclassWnd::HookOf(window_.m_hWnd), &last);
  EXPECT_EQ(Probe(), (Trail{"last", "middle", "first", "window"}));

  middle.HookTo(nullptr);
  EXPECT_FALSE(middle.IsHooked());
  EXPECT_EQ(CSubclassWnd::HookOf(window_.m_hWnd), &last);
  EXPECT_EQ(Probe(), (Trail{"last", "first", "window"}));

  last.HookTo(nullptr);
  EXPECT_EQ(CSubclassWnd::HookOf(window_.m_hWnd), &first);
  EXPECT_EQ(Probe(), (Trail{"first", "window"}));
  EXPECT_NE(GetWindowLongPtrA(window_.m_hWnd, GWLP_WNDPROC), original_);

  first.HookTo(nullptr);
  EXPECT_EQ(CSubclassWnd::HookOf(window_.m_hWnd), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(window_.m_hWnd, GWLP_WNDPROC), original_);
  EXPECT_EQ(Probe(), (Trail{"window"}));
}

TEST_F(SubclassWnd, AHookDestroyedFirstTakesItselfOut) {
  NamedHook first("first", trail_);
  {
    NamedHook second("second", trail_);
    first.HookTo(&window_);
    second.HookTo(&window_);
  }
  EXPECT_EQ(CSubclassWnd::HookOf(window_.m_hWnd), &first);
  EXPECT_EQ(Probe(), (Trail{"first", "window"}));
  {
    NamedHook third("third", trail_);
    third.HookTo(&window_);
    first.HookTo(nullptr);  // the bottom of the chain leaves under a later hook
    EXPECT_EQ(Probe(), (Trail{"third", "window"}));
  }
  EXPECT_EQ(GetWindowLongPtrA(window_.m_hWnd, GWLP_WNDPROC), original_);
}

TEST_F(SubclassWnd, HookingAgainMovesTheHookToTheOtherWindow) {
  NotingWnd other;
  std::vector<std::string> otherTrail;
  other.trail = &otherTrail;
  ASSERT_TRUE(other.CreateEx(0, CWnd::RegisterClass(0), "other", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, 0));
  NamedHook hook("hook", trail_);
  hook.HookTo(&window_);
  hook.HookTo(&other);
  EXPECT_EQ(CSubclassWnd::HookOf(window_.m_hWnd), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(window_.m_hWnd, GWLP_WNDPROC), original_);
  EXPECT_EQ(CSubclassWnd::HookOf(other.m_hWnd), &hook);
  EXPECT_EQ(Probe(), (Trail{"window"}));
  trail_.clear();
  other.SendMessage(kProbe);
  EXPECT_EQ(trail_, (Trail{"hook"}));
  EXPECT_EQ(otherTrail, (Trail{"window"}));
}

TEST_F(SubclassWnd, EveryHookLeavesBeforeTheWindowSeesItsLastMessage) {
  NamedHook first("first", trail_), second("second", trail_);
  first.HookTo(&window_);
  second.HookTo(&window_);
  HWND hwnd = window_.m_hWnd;
  ASSERT_TRUE(window_.DestroyWindow());
  EXPECT_FALSE(window_.hookedAtNcDestroy);
  EXPECT_FALSE(first.IsHooked());
  EXPECT_FALSE(second.IsHooked());
  EXPECT_EQ(CSubclassWnd::HookOf(hwnd), nullptr);
}

}  // namespace
