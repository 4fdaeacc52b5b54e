#pragma once
// The frame's toolbar and status bar over the system's controls. Both keep their items in line
// with the command update rules while the program idles.
#include <string>
#include <vector>

#include "framework/StandardIds.h"
#include "framework/Wnd.h"

#include <commctrl.h>

constexpr WORD kToolbarResourceType = 241;

// Bar styles.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0400;

// The toolbar resource: version, image width and height, then one command id per item (0 for a
// separator).
struct ToolbarResource {
  int imageWidth = 0;
  int imageHeight = 0;
  std::vector<UINT> items;
};
bool ReadToolbarResource(HINSTANCE instance, UINT id, ToolbarResource& out);

// The side of `client` nearest to `point` among the `allowed` CBRS_ALIGN_ sides; 0 when none is
// allowed. Ties go to top, bottom, left, right in that order.
DWORD NearestDockSide(POINT point, const RECT& client, DWORD allowed);

// The text of string `id` before its line break (the status prompt) or after it (the tooltip).
std::string CommandPrompt(UINT id);
std::string CommandTooltip(UINT id);

class CToolBar : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT id = AFX_IDW_TOOLBAR);
  // Adds the buttons of toolbar resource `id` with their images from bitmap `id`.
  bool LoadToolBar(UINT id);
  void SetBarStyle(DWORD style) { barStyle_ = style; }
  DWORD GetBarStyle() const { return barStyle_; }
  // The sides the bar may be docked to; the user drags it by a spot between its buttons.
  void EnableDocking(DWORD alignments) { docking_ = alignments; }
  DWORD DockSide() const { return dockSide_; }
  // Docks the bar to a side: buttons in one row at the top and bottom, one column at the sides.
  void SetDockSide(DWORD side);
  // Width (top, bottom) or height (left, right) the bar needs across its side.
  int Thickness() const;
  int ButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
  UINT ButtonId(int index) const;
  // Asks every button's update rule through the frame's command route.
  void UpdateButtons();

 protected:
  LRESULT OnIdleUpdate(WPARAM, LPARAM);
  void OnHotItemChange(NMHDR* header, LRESULT* result);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  void OnCaptureChanged() { dragging_ = false; }

 private:
  bool Vertical() const { return dockSide_ == CBRS_ALIGN_LEFT || dockSide_ == CBRS_ALIGN_RIGHT; }

  DWORD barStyle_ = 0;
  DWORD docking_ = 0;
  DWORD dockSide_ = CBRS_ALIGN_TOP;
  bool dragging_ = false;
};

class CStatusBar : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
  // Pane 0 is the message pane (id 0); the others show their string while their key is on.
  bool SetIndicators(const UINT* ids, int count);
  void SetPaneText(int index, const std::string& text);
  std::string GetPaneText(int index) const;
  int PaneCount() const { return static_cast<int>(indicators_.size()); }

 protected:
  void OnSize(UINT type, int cx, int cy);
  LRESULT OnIdleUpdate(WPARAM, LPARAM);
  void LayoutParts();

 private:
  std::vector<UINT> indicators_;
  std::vector<int> widths_;
};

// The update interface of one toolbar button.
class CToolCmdUI : public CCmdUI {
 public:
  CToolCmdUI(UINT commandId, HWND toolbar) : CCmdUI(commandId), toolbar_(toolbar) {}
  void Enable(bool on = true) override;
  void SetCheck(int state = 1) override;
  void SetRadio(bool on = true) override { SetCheck(on ? 1 : 0); }

 private:
  HWND toolbar_;
};
