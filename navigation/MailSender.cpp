#include "navigation/MailSender.h"

#include <mapi.h>

#include <new>
#include <vector>

#include "browser/MyListView.h"
#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "framework/StandardIds.h"
#include "framework/WinApp.h"
#include "framework/YieldPoint.h"

namespace {

// The process's mail library. A plain handle on purpose: no static destructor frees it while the
// mail program may still have threads in it; the system releases it when the process ends.
HMODULE g_mailLibrary = nullptr;

HMODULE MailLibrary() {
  if (!g_mailLibrary) g_mailLibrary = LoadLibraryA("MAPI32.DLL");
  return g_mailLibrary;
}

void ShowMailMessage(UINT id) {
  char text[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  AfxMessageBox(text, MB_OK);
}

// Makes the mail call modal for the owner frame for the life of the object: the application's
// other top-level windows take no input, the owner is disabled and holds the mouse capture, and no
// window has the keyboard focus. Undone in reverse on every path out.
class ModalForMail {
 public:
  explicit ModalForMail(HWND frame) : owner_(frame ? GetAncestor(frame, GA_ROOT) : nullptr) {
    EnumThreadWindows(GetCurrentThreadId(), &ModalForMail::DisableOther, reinterpret_cast<LPARAM>(this));
    if (owner_) {
      EnableWindow(owner_, FALSE);
      SetCapture(owner_);
    }
    SetFocus(nullptr);
  }
  ~ModalForMail() {
    if (owner_) {
      if (GetCapture() == owner_) ReleaseCapture();
      EnableWindow(owner_, TRUE);
      SetActiveWindow(owner_);
      SetFocus(owner_);
    }
    for (HWND window : disabled_)
      if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  ModalForMail(const ModalForMail&) = delete;
  ModalForMail& operator=(const ModalForMail&) = delete;

  HWND Owner() const { return owner_; }

 private:
  static BOOL CALLBACK DisableOther(HWND window, LPARAM self) {
    auto* modal = reinterpret_cast<ModalForMail*>(self);
    if (window == modal->owner_ || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    // Noted before it is disabled, so that it is enabled again; short of memory it stays enabled
    // (no exception may cross the system's enumeration).
    try {
      modal->disabled_.push_back(window);
    } catch (const std::bad_alloc&) {
      return TRUE;
    }
    EnableWindow(window, FALSE);
    return TRUE;
  }

  HWND owner_;
  std::vector<HWND> disabled_;
};

}  // namespace

bool MailResultHandled(unsigned long result) {
  return result == SUCCESS_SUCCESS || result == MAPI_USER_ABORT || result == MAPI_E_LOGIN_FAILURE;
}

bool AttachmentsFit(const std::vector<MailAttachment>& files) {
  for (const MailAttachment& file : files)
    if (file.path.empty() || !FitsMaxPath(file.path)) return false;
  return true;
}

std::vector<MailAttachment> SelectedAttachments(const CMyListView& list) {
  std::vector<MailAttachment> files;
  const std::vector<FileRecord>& records = list.Records();
  int index = -1;
  while ((index = static_cast<int>(list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >=
         0) {
    // An item beyond the records (a listing on its way) has no file to attach.
    if (index >= static_cast<int>(records.size())) break;
    files.push_back({list.ItemPath(index), records[static_cast<size_t>(index)].fileName});
  }
  return files;
}

MailOutcome SendMailAttachments(HWND frame, const std::vector<MailAttachment>& files) {
  if (files.empty()) return MailOutcome::Handled;
  CWaitCursor wait;
  HMODULE library = MailLibrary();
  if (!library) {
    ShowMailMessage(AFX_IDP_FAILED_MAPI_LOAD);
    return MailOutcome::LibraryMissing;
  }
  auto send = reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(library, "MAPISendMail")));
  if (!send) {
    ShowMailMessage(AFX_IDP_INVALID_MAPI_DLL);
    return MailOutcome::EntryMissing;
  }
  // A cut path would attach another file or none: such a selection is not sent at all.
  if (!AttachmentsFit(files)) {
    ShowMailMessage(AFX_IDP_FAILED_MAPI_SEND);
    return MailOutcome::Failed;
  }

  std::vector<MapiFileDesc> descriptors(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    MapiFileDesc& d = descriptors[i];
    d.ulReserved = 0;
    d.flFlags = 0;
    d.nPosition = 0xFFFFFFFF;
    d.lpszPathName = const_cast<char*>(files[i].path.c_str());
    d.lpszFileName = const_cast<char*>(files[i].name.c_str());
    d.lpFileType = nullptr;
  }
  MapiMessage message{};
  message.nFileCount = static_cast<ULONG>(descriptors.size());
  message.lpFiles = descriptors.data();

  ULONG result = 0;
  {
    ModalForMail modal(frame);
    YieldPoint mailLoop;
    result = send(0, reinterpret_cast<ULONG_PTR>(modal.Owner()), &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
  }
  if (MailResultHandled(result)) return MailOutcome::Handled;
  ShowMailMessage(AFX_IDP_FAILED_MAPI_SEND);
  return MailOutcome::Failed;
}
