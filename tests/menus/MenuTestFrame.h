#pragma once
// A frame with the program's menu, accelerators and toolbar resource and a few update rules, and
// the helpers the menu tests share: opening and closing popups by messages, reading items,
// drawing items into a memory DIB.
#include <windows.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "menus/CoolMenuManager.h"

class MenuTestFrame : public CFrameWnd {
 public:
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // Owner-draw messages and menu characters that reached the frame itself.
  int measuresSeen = 0;
  int drawsSeen = 0;
  int menuCharsSeen = 0;
  UINT checkedSort = 32779;  // Date

 protected:
  void OnEnabled() {}
  void OnSort(UINT) {}
  void OnUpdateChecked(CCmdUI& ui) { ui.SetCheck(1); }
  void OnUpdateSort(CCmdUI& ui) { ui.SetRadio(ui.id == checkedSort); }
  LRESULT OnMeasureItem(WPARAM, LPARAM) {
    ++measuresSeen;
    return 0;
  }
  LRESULT OnDrawItem(WPARAM, LPARAM) {
    ++drawsSeen;
    return 0;
  }
  LRESULT OnMenuChar(WPARAM, LPARAM) {
    ++menuCharsSeen;
    return 0;
  }
};

struct ItemState {
  UINT type = 0;
  UINT state = 0;
  ULONG_PTR data = 0;
  std::string text;
};
ItemState ReadItem(HMENU menu, int position);
// GDI objects of this process now. Wine's GetGuiResources reports none, so there the count comes
// from the GDI handle table the process environment block points to.
size_t LiveGdiObjects();
// The key name the system gives virtual key `vk`, as accelerator texts show it.
std::string KeyName(UINT vk);

class MenuTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HMENU MenuBarPopup(int index) const { return GetSubMenu(GetMenu(frame_->m_hWnd), index); }
  void Open(HMENU popup, int index = 0) {
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(index, 0));
  }
  void Close() { frame_->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0); }
  const MenuItemRecord* Record(HMENU menu, int position) const {
    return manager_.OwnedRecord(ReadItem(menu, position).data);
  }
  int PositionOf(HMENU menu, UINT id) const;

  CWinApp app_;
  CCoolMenuManager manager_;
  MenuTestFrame* frame_ = nullptr;
};

// Sets system colours for the life of the object, then puts the old ones back.
class ScopedSysColors {
 public:
  ScopedSysColors(std::initializer_list<std::pair<int, COLORREF>> colours);
  ~ScopedSysColors();
  ScopedSysColors(const ScopedSysColors&) = delete;
  ScopedSysColors& operator=(const ScopedSysColors&) = delete;

 private:
  std::vector<int> indexes_;
  std::vector<COLORREF> saved_;
};

// A 32-bit top-down DIB section with a memory DC, filled with one colour.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height, COLORREF fill);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC Dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixels in the rectangle equal to `colour`.
  int Count(const RECT& area, COLORREF colour) const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  DWORD* bits_ = nullptr;
};
