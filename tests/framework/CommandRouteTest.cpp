#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

enum : UINT { kViewAndFrame = 40001, kFrameOnly, kAppOnly, kNobody, kDisabledByRule, kRadioOn, kChecked };

std::vector<std::string> g_calls;

class CRouteApp : public CWinApp {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  CRouteApp() : CWinApp("RouteTest") {}
  void OnAppOnly() { g_calls.push_back("app"); }
  void OnViewAndFrame() { g_calls.push_back("app view-and-frame"); }
};
const CRuntimeClass CRouteApp::kClass{"CRouteApp", &CWinApp::kClass};
const MessageMap CRouteApp::kMessageMap{
    &CWinApp::kMessageMap,
    {
        OnCommand(kAppOnly, &CRouteApp::OnAppOnly),
        OnCommand(kViewAndFrame, &CRouteApp::OnViewAndFrame),
    },
};

class CRouteView : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  void OnViewAndFrame() { g_calls.push_back("view"); }
};
const CRuntimeClass CRouteView::kClass{"CRouteView", &CWnd::kClass};
const MessageMap CRouteView::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnCommand(kViewAndFrame, &CRouteView::OnViewAndFrame),
    },
};

class CRouteFrame : public CFrameWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool Create() { return CreateFrame(RegisterClass(0, LoadCursorA(nullptr, IDC_ARROW)), "route", WS_OVERLAPPEDWINDOW); }
  void OnViewAndFrame() { g_calls.push_back("frame view-and-frame"); }
  void OnFrameOnly() { g_calls.push_back("frame"); }
  void OnDisabled() { g_calls.push_back("disabled ran"); }
  void OnUpdateDisabled(CCmdUI& ui) { ui.Enable(false); }
  void OnRadio() {}
  void OnUpdateRadio(CCmdUI& ui) { ui.SetRadio(true); }
  void OnUpdateChecked(CCmdUI& ui) { ui.SetCheck(1); }
};
const CRuntimeClass CRouteFrame::kClass{"CRouteFrame", &CFrameWnd::kClass};
const MessageMap CRouteFrame::kMessageMap{
    &CFrameWnd::kMessageMap,
    {
        OnCommand(kViewAndFrame, &CRouteFrame::OnViewAndFrame),
        OnCommand(kFrameOnly, &CRouteFrame::OnFrameOnly),
        OnCommand(kDisabledByRule, &CRouteFrame::OnDisabled),
        OnUpdateCommand(kDisabledByRule, &CRouteFrame::OnUpdateDisabled),
        OnCommand(kRadioOn, &CRouteFrame::OnRadio),
        OnUpdateCommand(kRadioOn, &CRouteFrame::OnUpdateRadio),
        OnUpdateCommand(kChecked, &CRouteFrame::OnUpdateChecked),
    },
};

class CommandRoute : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    frame_ = new CRouteFrame;  // frames delete themselves when destroyed
    ASSERT_TRUE(frame_->Create());
    view_.CreateEx(0, CWnd::RegisterClass(0), "view", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, 1);
  }
  void TearDown() override {
    if (frame_) frame_->DestroyWindow();
  }

  void Command(UINT id, WORD source = 0) { frame_->SendMessage(WM_COMMAND, MAKEWPARAM(id, source), 0); }

  CRouteApp app_;
  CRouteFrame* frame_ = nullptr;
  CRouteView view_;
};

TEST_F(CommandRoute, ActiveViewThenFrameThenApplication) {
  Command(kViewAndFrame);
  frame_->SetActiveView(&view_);
  Command(kViewAndFrame);
  Command(kFrameOnly);
  Command(kAppOnly);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"frame view-and-frame", "view", "frame", "app"}));
}

TEST_F(CommandRoute, CommandsWithoutHandlerOrDisabledByTheirRuleNeverRun) {
  EXPECT_FALSE(frame_->IsCommandEnabled(kNobody));
  EXPECT_FALSE(frame_->IsCommandEnabled(kDisabledByRule));
  EXPECT_TRUE(frame_->IsCommandEnabled(kAppOnly));  // a handler without a rule enables
  Command(kNobody);
  Command(kDisabledByRule);     // from a menu
  Command(kDisabledByRule, 1);  // from an accelerator
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(CommandRoute, MenuItemsFollowTheUpdateRulesWhenTheirMenuOpens) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING | MF_GRAYED, kAppOnly, "app");
  AppendMenuA(popup, MF_STRING, kNobody, "nobody");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, kDisabledByRule, "disabled");
  AppendMenuA(popup, MF_STRING, kRadioOn, "radio");
  AppendMenuA(popup, MF_STRING, kChecked, "checked");
  HMENU sub = CreatePopupMenu();
  AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "sub");

  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);

  auto state = [popup](UINT id) { return GetMenuState(popup, id, MF_BYCOMMAND); };
  EXPECT_FALSE(state(kAppOnly) & MF_GRAYED);
  EXPECT_TRUE(state(kNobody) & MF_GRAYED);
  EXPECT_TRUE(state(kDisabledByRule) & MF_GRAYED);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE;
  ASSERT_TRUE(GetMenuItemInfoA(popup, kRadioOn, FALSE, &info));
  EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
  EXPECT_TRUE(info.fState & MFS_CHECKED);
  // An update rule without a command handler leaves the item as the rule set it.
  EXPECT_TRUE(state(kChecked) & MF_CHECKED);
  EXPECT_FALSE(state(kChecked) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(popup, 6, MF_BYPOSITION) & MF_GRAYED);  // submenus stay as they are
  DestroyMenu(popup);
}

TEST_F(CommandRoute, ExitClosesTheMainWindowAndEndsTheLoop) {
  app_.SetMainWnd(frame_);
  HWND hwnd = frame_->m_hWnd;
  Command(ID_APP_EXIT);
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      break;
    }
    DispatchMessageA(&msg);
  }
  EXPECT_TRUE(quit);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(app_.MainWnd(), nullptr);
  frame_ = nullptr;
}

}  // namespace
