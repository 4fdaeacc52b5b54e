#include "framework/Dialog.h"

#include "framework/WinApp.h"

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
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, &CDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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
}
