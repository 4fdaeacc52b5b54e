#pragma once
// The modal dialog that edits one annotation text. Made and run by the list view's Annotate
// command on the user-interface thread; it lives on that command's stack.
#include <functional>
#include <string>

#include "framework/Dialog.h"

class CAnnotationDlg : public CDialog {
 public:
  LUMAVEX_RUNTIME_CLASS
  static constexpr int kMaxChars = 256;

  explicit CAnnotationDlg(CWnd* parent = nullptr);
  void DoDataExchange(CDataExchange& dx) override;
  // Reads the text, then saves it; a failed save keeps the dialog open with the text.
  void OnOK() override;

  std::string m_strText;
  // Saves the text on OK; false when it was not saved (the saver has told the user why).
  std::function<bool(const std::string& text)> save;
};
