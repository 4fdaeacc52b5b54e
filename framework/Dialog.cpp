#include "framework/Dialog.h"

#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "framework/YieldPoint.h"

HWND CDataExchange::PrepareControl(int id) {
  lastControl_ = GetDlgItem(dialog_, id);
  return lastControl_;
}

void CDataExchange::Fail() {
  failed_ = true;
  if (lastControl_) {
    SetFocus(lastControl_);
    SendMessageA(lastControl_, EM_SETSEL, 0, -1);
  }
}

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
  HWND control = dx.PrepareControl(id);
  if (!control || dx.Failed()) return;
  if (!dx.Saving()) {
    SetWindowTextA(control, value.c_str());
    return;
  }
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), length + 1)));
  value = std::move(text);
}

void DDV_MaxChars(CDataExchange& dx, const std::string& value, int maxChars) {
  if (dx.Failed() || maxChars < 0) return;
  if (!dx.Saving()) {
    // The control refuses more typing; the saving pass still checks texts set by other means.
    if (HWND control = dx.LastControl()) SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    return;
  }
  if (value.size() <= static_cast<size_t>(maxChars)) return;
  char text[80];
  wsprintfA(text, "Enter no more than %d characters.", maxChars);
  AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
  dx.Fail();
}

const CRuntimeClass CDialog::kClass{"CDialog", &CWnd::kClass};
const MessageMap CDialog::kMessageMap{
    &CWnd::kMessageMap,
    {
        OnCommand(IDOK, &CDialog::OkCommand),
        OnCommand(IDCANCEL, &CDialog::CancelCommand),
    },
};

INT_PTR CDialog::DoModal() {
  HWND owner = parent_ ? parent_->m_hWnd : nullptr;
  if (!owner && AfxGetApp()) owner = AfxGetApp()->MainWindowHandle();
  modeless_ = false;
  YieldPoint dialogLoop;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, &CDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(CWnd* parent) {
  if (parent) parent_ = parent;
  HWND owner = parent_ ? parent_->m_hWnd : nullptr;
  if (!owner && AfxGetApp()) owner = AfxGetApp()->MainWindowHandle();
  modeless_ = true;
  HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, &CDialog::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr && m_hWnd == hwnd;
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (!m_hWnd) return false;
  CDataExchange dx(m_hWnd, saveAndValidate);
  DoDataExchange(dx);
  return !dx.Failed();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

bool CDialog::PreTranslateMessage(MSG* msg) {
  if (!modeless_ || !m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)) return false;
  return IsDialogMessageA(m_hWnd, msg) != FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing may unwind through the system's code (out of memory in a handler, say): the message
  // counts as not handled.
  try {
    if (message == WM_INITDIALOG) {
      auto* dialog = reinterpret_cast<CDialog*>(lParam);
      dialog->Attach(hwnd);
      return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    auto* dialog = static_cast<CDialog*>(FromHandle(hwnd));
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
      dialog->FinishDestroy();
      return FALSE;
    }
    LRESULT result = 0;
    if (!dialog->OnWndMsg(message, wParam, lParam, &result)) return FALSE;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}
