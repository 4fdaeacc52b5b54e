#pragma once
// Dialogs from templates, modal (DoModal runs the platform's dialog loop) or modeless (Create; the
// application's message loop gives the dialog its keyboard handling), with data exchange between
// members and controls. A modeless dialog's owner decides when to destroy it; the object does not
// delete itself.
#include <string>

#include "framework/Wnd.h"

// One data exchange pass: from the members to the controls, or back (saving), which may fail.
class CDataExchange {
 public:
  CDataExchange(HWND dialog, bool saveAndValidate) : dialog_(dialog), save_(saveAndValidate) {}

  bool Saving() const { return save_; }
  HWND Dialog() const { return dialog_; }
  // The control `id`, remembered as the one a failed validation gives the focus to.
  HWND PrepareControl(int id);
  // Ends a saving pass as failed: the last prepared control gets the focus.
  void Fail();
  bool Failed() const { return failed_; }
  HWND LastControl() const { return lastControl_; }

 private:
  HWND dialog_;
  bool save_;
  bool failed_ = false;
  HWND lastControl_ = nullptr;
};

// Exchanges the text of control `id` with `value`.
void DDX_Text(CDataExchange& dx, int id, std::string& value);
// Limits the text last exchanged to `maxChars`: the control accepts no more, and a longer value
// fails the saving pass with a message box.
void DDV_MaxChars(CDataExchange& dx, const std::string& value, int maxChars);

class CDialog : public CWnd {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : templateId_(templateId), parent_(parent) {}

  // Shows the dialog and returns the code it ended with (IDOK, IDCANCEL), or -1 on failure.
  INT_PTR DoModal();
  // Creates the dialog modelessly, owned by `parent`'s top-level window; false on failure.
  bool Create(CWnd* parent = nullptr);
  void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

  // Runs DoDataExchange: true to read the controls into the members. False when it failed.
  bool UpdateData(bool saveAndValidate = true);
  virtual void DoDataExchange(CDataExchange&) {}

  // Default: the members into the controls.
  virtual bool OnInitDialog();
  // Default: the controls into the members, then end with IDOK unless that failed.
  virtual void OnOK();
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // Tab, Enter, Escape and mnemonics of a modeless dialog.
  bool PreTranslateMessage(MSG* msg) override;

  // Default processing of a dialog is the dialog manager's: report "not handled".
  LRESULT DefWindowProc(UINT, WPARAM, LPARAM) override { return 0; }

 protected:
  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OkCommand() { OnOK(); }
  void CancelCommand() { OnCancel(); }

  UINT templateId_;
  CWnd* parent_;
  bool modeless_ = false;
};
