#pragma once
// Frame window loaded from one resource id (menu, accelerators, icon, title string). Lays out its
// toolbar, status bar and pane; routes commands to the active view, itself, then the
// application; keeps menu items in line with the update rules, never carries out a disabled
// command, and shows command prompts in the status bar. The keyboard focus that reaches the frame
// (at activation, or given to the frame itself) goes on to its active view.
// Ownership: made with new by its opener; once created it deletes itself with its window.
// User-interface thread only.
#include "framework/StandardIds.h"
#include "framework/Wnd.h"

class CToolBar;
class CStatusBar;
class CSplitterWnd;

// Frame style: add the document title to the caption (there is never a document here).
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class CFrameWnd : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, CWnd* parent = nullptr);
  // Creates the frame window at the default place and size; from then on the frame deletes
  // itself when its window is destroyed.
  bool CreateFrame(const char* className, const char* title, DWORD style, CWnd* parent = nullptr, HMENU menu = nullptr);
  // Makes the client area's child windows; false fails the creation.
  virtual bool OnCreateClient(CREATESTRUCTA* cs) { return true; }
  // Tells every descendant to initialise itself.
  void InitialUpdateFrame();
  virtual void OnUpdateFrameTitle();
  // Places the toolbar at the top, the status bar at the bottom and the pane in between.
  virtual void RecalcLayout();

  CWnd* GetActiveView() const { return activeView_; }
  // Makes `view` the active view and, with `focus`, gives it the keyboard focus.
  void SetActiveView(CWnd* view, bool focus = true);

  // Status bar message pane: the prompt of command `id` (or "Ready" for the idle message).
  void SetMessageText(UINT id);
  void SetMessageText(const std::string& text);
  CToolBar* GetToolBar() const;
  CStatusBar* GetStatusBar() const;
  CSplitterWnd* GetSplitter() const;
  void ShowControlBar(CWnd* bar, bool show);
  // The sides of the frame that control bars may dock to (CBRS_ALIGN_ bits).
  void EnableDocking(DWORD sides) { dockingSides_ = sides; }
  DWORD DockingSides() const { return dockingSides_; }

  bool PreTranslateMessage(MSG* msg) override;
  // A frame's close waits while a yield point is open: a nested loop may run on one of its views.
  bool DefersWhileYielding(UINT message, WPARAM wParam, LPARAM lParam) const override {
    return message == WM_CLOSE || CWnd::DefersWhileYielding(message, wParam, lParam);
  }
  bool OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
  bool OnWmCommand(WPARAM wParam, LPARAM lParam) override;
  bool OnWmNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // A frame deletes itself with its window once it was created; after a failed creation the
  // caller still owns the object.
  void PostNcDestroy() override {
    if (created_) delete this;
  }

  // Asks the update rule of `id` through the command route; false when it is disabled.
  bool IsCommandEnabled(UINT id);
  const std::string& Title() const { return title_; }
  HACCEL Accelerators() const { return accelerators_; }

 protected:
  int OnCreate(CREATESTRUCTA* cs);
  LRESULT OnClose(WPARAM, LPARAM);
  void OnSize(UINT type, int cx, int cy);
  void OnSetFocus();
  LRESULT OnActivate(WPARAM state, LPARAM);
  void OnInitMenuPopup(HMENU popup, UINT index, bool systemMenu);
  void OnMenuSelect(UINT item, UINT flags, HMENU menu);
  LRESULT OnSetMessageString(WPARAM, LPARAM);
  void OnNextPane(UINT id);
  void OnUpdateNextPane(CCmdUI& ui);
  void OnToggleBar(UINT id);
  void OnUpdateToggleBar(CCmdUI& ui);

 private:
  // Gives the keyboard focus to the active view unless it or one of its children has it.
  bool FocusActiveView();

  std::string title_;
  HACCEL accelerators_ = nullptr;
  CWnd* activeView_ = nullptr;
  bool created_ = false;
  DWORD dockingSides_ = 0;
};

// The frame window that holds `hwnd` (its nearest ancestor frame), or null.
CFrameWnd* FrameOf(HWND hwnd);

// The update interface of one menu item.
class CMenuCmdUI : public CCmdUI {
 public:
  CMenuCmdUI(UINT commandId, HMENU menu, UINT index) : CCmdUI(commandId), menu_(menu), index_(index) {}
  void Enable(bool on = true) override;
  void SetCheck(int state = 1) override;
  void SetRadio(bool on = true) override;
  void SetText(const char* newText) override;

  HMENU Menu() const { return menu_; }
  UINT Index() const { return index_; }
  // For an update rule that inserted or deleted items: the item at `index` is the last one it
  // handled, and the menu update goes on after it over the menu's new item count.
  void SetIndex(UINT index) { index_ = index; }

 private:
  HMENU menu_;
  UINT index_;
};
