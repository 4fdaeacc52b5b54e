#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "tests/support/MessagePump.h"

namespace {

constexpr UINT kWmPing = WM_USER + 7;

class CBaseWindow : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool Create(CWnd* parent = nullptr) {
    const char* cls = RegisterClass(0, LoadCursorA(nullptr, IDC_ARROW));
    DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW;
    return CreateEx(0, cls, "test", style, 0, 0, 200, 100, parent, parent ? 1 : 0);
  }
  std::vector<std::string> log;

 protected:
  LRESULT OnPing(WPARAM wp, LPARAM lp) {
    log.push_back("base ping " + std::to_string(wp) + "," + std::to_string(lp));
    return 11;
  }
  void OnSize(UINT type, int cx, int cy) {
    log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
    Default();
  }
  int OnCreate(CREATESTRUCTA* cs) {
    log.push_back(std::string("create ") + cs->lpszName);
    return static_cast<int>(Default());
  }
};
const CRuntimeClass CBaseWindow::kClass{"CBaseWindow", &CWnd::kClass};
const MessageMap CBaseWindow::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnMessage(kWmPing, &CBaseWindow::OnPing),
        OnWmSize(&CBaseWindow::OnSize),
        OnWmCreate(&CBaseWindow::OnCreate),
    },
};

class CDerivedWindow : public CBaseWindow {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  void OnCloseMessage() { log.push_back("close"); }  // no Default(): the window stays
  LRESULT OnPing(WPARAM, LPARAM) {
    log.push_back("derived ping");
    return 22;
  }
};
const CRuntimeClass CDerivedWindow::kClass{"CDerivedWindow", &CBaseWindow::kClass};
const MessageMap CDerivedWindow::kMessageMap{
    &CBaseWindow::kMessageMap,
    {
        OnMessage(kWmPing, &CDerivedWindow::OnPing),
        OnMessage(WM_CLOSE, &CDerivedWindow::OnCloseMessage),
    },
};

TEST(MessageMap, HandlersGetTypedArgumentsAndTheirResultIsReturned) {
  CBaseWindow wnd;
  ASSERT_TRUE(wnd.Create());
  EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
  EXPECT_EQ(wnd.log.front(), "create test");
  EXPECT_EQ(wnd.SendMessage(kWmPing, 3, 4), 11);
  EXPECT_EQ(wnd.log.back(), "base ping 3,4");
  SetWindowPos(wnd.m_hWnd, nullptr, 0, 0, 300, 150, SWP_NOZORDER | SWP_NOMOVE);
  RECT rc = wnd.GetClientRect();
  EXPECT_EQ(wnd.log.back(), "size " + std::to_string(rc.right) + "x" + std::to_string(rc.bottom));
}

TEST(MessageMap, DerivedEntryWinsAndBaseEntriesStillApply) {
  CDerivedWindow wnd;
  ASSERT_TRUE(wnd.Create());
  EXPECT_EQ(wnd.SendMessage(kWmPing), 22);
  EXPECT_EQ(wnd.log.back(), "derived ping");
  wnd.SendMessage(WM_CLOSE);
  EXPECT_EQ(wnd.log.back(), "close");
  EXPECT_TRUE(IsWindow(wnd.m_hWnd));  // handled without default processing
}

TEST(MessageMap, UnhandledMessagesReachTheDefaultProcedure) {
  CBaseWindow wnd;
  ASSERT_TRUE(wnd.Create());
  wnd.SetWindowText("changed");  // WM_SETTEXT has no entry
  EXPECT_EQ(wnd.GetWindowText(), "changed");
}

TEST(MessageMap, DestroyingTheWindowUnbindsTheObject) {
  CBaseWindow wnd;
  ASSERT_TRUE(wnd.Create());
  HWND hwnd = wnd.m_hWnd;
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

// A window that destroys itself from its own WM_CLOSE handler and whose PostNcDestroy ends the
// object and fills its memory with a pattern, as a reused heap block would be.
class CSelfClosingWindow : public CBaseWindow {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  void OnCloseMessage() { DestroyWindow(); }
  void PostNcDestroy() override {
    void* memory = this;
    this->~CSelfClosingWindow();
    std::memset(memory, 0xAB, sizeof(CSelfClosingWindow));
  }
};
const CRuntimeClass CSelfClosingWindow::kClass{"CSelfClosingWindow", &CBaseWindow::kClass};
const MessageMap CSelfClosingWindow::kMessageMap{
    &CBaseWindow::kMessageMap,
    {
        OnMessage(WM_CLOSE, &CSelfClosingWindow::OnCloseMessage),
    },
};

TEST(MessageMap, AWindowThatEndsItselfInAHandlerIsNotTouchedAfterwards) {
  alignas(CSelfClosingWindow) unsigned char memory[sizeof(CSelfClosingWindow)];
  auto* wnd = new (memory) CSelfClosingWindow;
  ASSERT_TRUE(wnd->Create());
  HWND hwnd = wnd->m_hWnd;
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  size_t changed = 0;
  for (unsigned char byte : memory) changed += byte != 0xAB;
  EXPECT_EQ(changed, 0u);
}

// A subclassed system control that handles notifications it sends to its parent.
class CReflectingButton : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  void OnClicked() { ++clicks; }
  void OnCustomNotify(NMHDR* header, LRESULT* result) {
    ++notifies;
    *result = 99;
  }
  int clicks = 0;
  int notifies = 0;
};
const CRuntimeClass CReflectingButton::kClass{"CReflectingButton", &CWnd::kClass};
const MessageMap CReflectingButton::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnReflectedCommand(BN_CLICKED, &CReflectingButton::OnClicked),
        OnReflectedNotify(NM_CLICK, &CReflectingButton::OnCustomNotify),
    },
};

class CParentWindow : public CBaseWindow {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }
  void OnChildNotify(NMHDR* header, LRESULT* result) {
    ++parentNotifies;
    *result = 5;
  }
  void OnButtonCommand() { ++parentCommands; }
  int parentNotifies = 0;
  int parentCommands = 0;
};
const CRuntimeClass CParentWindow::kClass{"CParentWindow", &CBaseWindow::kClass};
const MessageMap CParentWindow::kMessageMap{
    &CBaseWindow::kMessageMap,
    {
        OnNotify(NM_DBLCLK, 1, &CParentWindow::OnChildNotify),
        OnNotify(NM_CLICK, 1, &CParentWindow::OnChildNotify),
        OnCommand(1, &CParentWindow::OnButtonCommand),
    },
};

TEST(MessageMap, NotificationsAreOfferedToTheSendingControlFirst) {
  CParentWindow parent;
  ASSERT_TRUE(parent.Create());
  CReflectingButton button;
  ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 50, 20, &parent, 1));
  ASSERT_EQ(CWnd::FromHandle(button.m_hWnd), &button);

  NMHDR click{button.m_hWnd, 1, NM_CLICK};
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click)), 99);
  EXPECT_EQ(button.notifies, 1);
  EXPECT_EQ(parent.parentNotifies, 0);

  NMHDR dblclk{button.m_hWnd, 1, NM_DBLCLK};  // the button has no entry: the parent's applies
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&dblclk)), 5);
  EXPECT_EQ(parent.parentNotifies, 1);

  NMHDR otherId{button.m_hWnd, 2, NM_DBLCLK};  // entries match on id and code together
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&otherId)), 0);
  EXPECT_EQ(parent.parentNotifies, 1);

  button.SendMessage(BM_CLICK);
  EXPECT_EQ(button.clicks, 1);
  EXPECT_EQ(parent.parentCommands, 0);
}

TEST(MessageMap, DescendantsAllReceiveABroadcast) {
  CBaseWindow top;
  ASSERT_TRUE(top.Create());
  CBaseWindow child;
  ASSERT_TRUE(child.Create(&top));
  CBaseWindow grandchild;
  ASSERT_TRUE(grandchild.Create(&child));
  top.SendMessageToDescendants(kWmPing, 1, 2, true);
  EXPECT_EQ(child.log.back(), "base ping 1,2");
  EXPECT_EQ(grandchild.log.back(), "base ping 1,2");
  EXPECT_NE(top.log.back(), "base ping 1,2");
}

}  // namespace
