#pragma once
// Dialogs from templates. Modal for now: DoModal runs the platform's dialog loop.
#include "framework/Wnd.h"

class CDialog : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : templateId_(templateId), parent_(parent) {}

  // Shows the dialog and returns the code it ended with (IDOK, IDCANCEL), or -1 on failure.
  INT_PTR DoModal();
  void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // Default processing of a dialog is the dialog manager's: report "not handled".
  LRESULT DefWindowProc(UINT, WPARAM, LPARAM) override { return 0; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OkCommand() { OnOK(); }
  void CancelCommand() { OnCancel(); }

  UINT templateId_;
  CWnd* parent_;
};
