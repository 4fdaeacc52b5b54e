#pragma once
// Frame window loaded from one resource id (menu, accelerators, icon, title string). Routes
// commands to the active view, itself, then the application; keeps menu items in line with the
// update rules, and never carries out a disabled command.
#include "framework/Wnd.h"

// Frame style: add the document title to the caption (there is never a document here).
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

class CFrameWnd : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  bool LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, CWnd* parent = nullptr);
  // Makes the client area's child windows; false fails the creation.
  virtual bool OnCreateClient(CREATESTRUCTA* cs) { return true; }
  // Tells every descendant to initialise itself.
  void InitialUpdateFrame();
  virtual void OnUpdateFrameTitle();

  CWnd* GetActiveView() const { return activeView_; }
  void SetActiveView(CWnd* view) { activeView_ = view; }

  bool PreTranslateMessage(MSG* msg) override;
  bool OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
  bool OnWmCommand(WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override { delete this; }

  // Asks the update rule of `id` through the command route; false when it is disabled.
  bool IsCommandEnabled(UINT id);
  const std::string& Title() const { return title_; }
  HACCEL Accelerators() const { return accelerators_; }

 protected:
  int OnCreate(CREATESTRUCTA* cs);
  void OnInitMenuPopup(HMENU popup, UINT index, bool systemMenu);

 private:
  std::string title_;
  HACCEL accelerators_ = nullptr;
  CWnd* activeView_ = nullptr;
};

// The update interface of one menu item.
class CMenuCmdUI : public CCmdUI {
 public:
  CMenuCmdUI(UINT commandId, HMENU menu, UINT index) : CCmdUI(commandId), menu_(menu), index_(index) {}
  void Enable(bool on = true) override;
  void SetCheck(int state = 1) override;
  void SetRadio(bool on = true) override;
  void SetText(const char* text) override;

 private:
  HMENU menu_;
  UINT index_;
};
