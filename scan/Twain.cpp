#include "scan/Twain.h"

#include <cstring>
#include <string>

#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "framework/WinApp.h"
#include "framework/YieldPoint.h"

namespace {

// The source manager's library is loaded once per process, however many objects use it.
struct Manager {
  HMODULE library = nullptr;
  DSMENTRYPROC entry = nullptr;
  int users = 0;
  int available = 0;  // 0 not tried yet, 1 available, -1 not available
  TW_IDENTITY source{};
};

Manager& TheManager() {
  static auto& manager = *new Manager;
  return manager;
}

void CopyName(char (&field)[34], const char* text) {
  std::memset(field, 0, sizeof field);
  std::strncpy(field, text, sizeof field - 1);
}

bool IsTransfer(TW_UINT32 dg, TW_UINT16 dat) {
  return dg == DG_IMAGE && (dat == DAT_IMAGEFILEXFER || dat == DAT_IMAGENATIVEXFER || dat == DAT_IMAGEMEMXFER);
}

}  // namespace

CTwain::CTwain() {
  appId_.Version.MajorNum = 1;
  appId_.Version.MinorNum = 0;
  appId_.Version.Language = TWLG_USA;
  appId_.Version.Country = TWCY_USA;
  appId_.ProtocolMajor = 1;
  appId_.ProtocolMinor = 8;
  appId_.SupportedGroups = DG_CONTROL | DG_IMAGE;
  CopyName(appId_.Manufacturer, "Tolmeq");
  CopyName(appId_.ProductFamily, "CTwain application");
  CopyName(appId_.ProductName, "TWAIN Application");
}

CTwain::~CTwain() { DropToState(1); }

TW_IDENTITY& CTwain::SourceIdentity() { return TheManager().source; }

bool CTwain::ManagerLoaded() { return TheManager().entry != nullptr; }

void CTwain::SetState(int state) {
  if (state == state_) return;
  state_ = state;
  OnStateChange(state);
}

HWND CTwain::ParentOr(HWND parent) const {
  if (parent) return parent;
  if (parent_) return parent_;
  CWinApp* app = AfxGetApp();
  return app ? app->MainWindowHandle() : nullptr;
}

bool CTwain::ManagerCall(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  DSMENTRYPROC entry = TheManager().entry;
  if (!entry) return false;
  returnCode_ = entry(&appId_, nullptr, DG_CONTROL, dat, msg, data);
  if (returnCode_ != TWRC_SUCCESS) return false;
  if (dat == DAT_PARENT && msg == MSG_OPENDSM) SetState(3);
  if (dat == DAT_PARENT && msg == MSG_CLOSEDSM) SetState(2);
  if (dat == DAT_IDENTITY && msg == MSG_OPENDS) SetState(4);
  if (dat == DAT_IDENTITY && msg == MSG_CLOSEDS) SetState(3);
  return true;
}

bool CTwain::SourceCall(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  DSMENTRYPROC entry = TheManager().entry;
  if (!entry) return false;
  returnCode_ = entry(&appId_, &TheManager().source, dg, dat, msg, data);
  bool ok = returnCode_ == TWRC_SUCCESS;
  if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
    TW_UINT16 message = static_cast<TW_EVENT*>(data)->TWMessage;
    if (message == MSG_XFERREADY) SetState(6);
    if (message == MSG_CLOSEDSREQ) SetState(5);
  } else if (dg == DG_CONTROL && dat == DAT_USERINTERFACE && msg == MSG_ENABLEDS) {
    ok = ok || returnCode_ == TWRC_CHECKSTATUS;
    if (ok) SetState(5);
  } else if (dg == DG_CONTROL && dat == DAT_USERINTERFACE && msg == MSG_DISABLEDS) {
    if (ok) SetState(4);
  } else if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS && msg == MSG_ENDXFER) {
    if (ok)
      SetState(static_cast<TW_PENDINGXFERS*>(data)->Count != 0 ? 6 : 5);
    else if (state_ > 5)
      SetState(5);
  } else if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS && msg == MSG_RESET) {
    if (ok) SetState(5);
  } else if (IsTransfer(dg, dat) && msg == MSG_GET) {
    ok = returnCode_ == TWRC_SUCCESS || returnCode_ == TWRC_XFERDONE;
    if (ok || returnCode_ == TWRC_CANCEL) SetState(7);
  }
  if (!ok && dat != DAT_EVENT && dat != DAT_STATUS) FetchStatus();
  return ok;
}

void CTwain::FetchStatus() {
  Manager& manager = TheManager();
  TW_STATUS status{};
  if (state_ >= 4)
    manager.entry(&appId_, &manager.source, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  else if (state_ == 3)
    manager.entry(&appId_, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
}

namespace {

// The TWAIN 2 manager TWAINDSM.DLL, which scanner drivers install (it serves 1.x applications too,
// and is the only one a 64-bit program can load), else TWAIN_32.DLL of the Windows folder (Wine,
// the 32-bit program on older systems).
HMODULE LoadManagerLibrary() {
  // The program's and the system's folders, never the current one.
  if (HMODULE library = LoadLibraryExA("TWAINDSM.DLL", nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) return library;
  char folder[kPathBytes] = "";
#ifdef _WIN64
  // A 64-bit process needs the 64-bit manager, which is not the one in the Windows folder; Wine
  // keeps it in the system folder under the same name.
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
#else
  UINT length = GetWindowsDirectoryA(folder, sizeof folder);
#endif
  if (length == 0 || length >= sizeof folder) return nullptr;
  std::string path = folder;
  if (path.back() != '\\') path += '\\';
  path += "TWAIN_32.DLL";
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return LoadLibraryA(path.c_str());
}

}  // namespace

bool CTwain::LoadManager() {
  if (state_ > 1) return true;
  Manager& manager = TheManager();
  HMODULE library = LoadManagerLibrary();
  if (!library) return false;
  auto entry = reinterpret_cast<DSMENTRYPROC>(GetProcAddress(library, "DSM_Entry"));
  if (!entry) {
    FreeLibrary(library);
    return false;
  }
  if (manager.users++ == 0) {
    manager.library = library;
    manager.entry = entry;
  } else {
    FreeLibrary(library);  // already held for another object
  }
  manager.available = 1;
  SetState(2);
  return true;
}

bool CTwain::IsAvailable() {
  Manager& manager = TheManager();
  if (manager.entry) return true;
  if (manager.available == 0) manager.available = LoadManager() ? 1 : -1;
  return manager.available == 1;
}

bool CTwain::OpenManager(HWND parent) {
  if (LoadManager()) {
    HWND window = ParentOr(parent);
    ManagerCall(DAT_PARENT, MSG_OPENDSM, &window);
  }
  return state_ > 2;
}

bool CTwain::OpenSource() {
  if (state_ != 3) return false;
  TW_IDENTITY& source = TheManager().source;
  source.Id = 0;
  source.ProductName[0] = '\0';
  ManagerCall(DAT_IDENTITY, MSG_OPENDS, &source);
  return state_ == 4;
}

bool CTwain::EnableSource(HWND parent) {
  if (state_ != 4) return false;
  SetOneValueCapability(ICAP_XFERMECH, TWTY_UINT16, static_cast<TW_UINT32>(mechanism_));
  ui_.ShowUI = static_cast<TW_BOOL>(showUI_);
  ui_.ModalUI = 0;
  ui_.hParent = ParentOr(parent);
  SourceCall(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui_);
  return state_ == 5;
}

bool CTwain::DisableSource() {
  if (HWND parent = ParentOr(nullptr)) BringWindowToTop(parent);
  if (state_ == 5) SourceCall(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui_);
  return state_ < 5;
}

bool CTwain::CloseDS() {
  returnCode_ = TWRC_SUCCESS;
  if (state_ == 5) DisableSource();
  // The standard addresses the closing of a source to the manager, which unloads it.
  if (state_ == 4) ManagerCall(DAT_IDENTITY, MSG_CLOSEDS, &TheManager().source);
  return state_ < 4;
}

bool CTwain::CloseManager(HWND parent) {
  CloseDS();
  if (state_ > 2) {
    HWND window = ParentOr(parent);
    ManagerCall(DAT_PARENT, MSG_CLOSEDSM, &window);
  }
  return state_ < 3;
}

bool CTwain::UnloadManager() {
  returnCode_ = TWRC_SUCCESS;
  if (state_ == 2) {
    Manager& manager = TheManager();
    if (manager.users > 0 && --manager.users == 0) {
      FreeLibrary(manager.library);
      manager.library = nullptr;
      manager.entry = nullptr;
    }
    SetState(1);
  }
  return state_ == 1;
}

bool CTwain::EndXfer() {
  if (state_ == 7) SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending_);
  return state_ < 7;
}

bool CTwain::ResetXfers() {
  EndXfer();
  if (state_ == 6) SourceCall(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending_);
  return state_ < 6;
}

bool CTwain::DropToState(int target) {
  while (state_ > target) {
    bool stepped = false;
    switch (state_) {
      case 7: stepped = EndXfer(); break;
      case 6: stepped = ResetXfers(); break;
      case 5: stepped = DisableSource(); break;
      case 4: stepped = CloseDS(); break;
      case 3: stepped = CloseManager(); break;
      default: stepped = UnloadManager(); break;
    }
    if (!stepped) return false;
  }
  return true;
}

bool CTwain::SetOneValueCapability(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value) {
  if (state_ != 4) {
    OnError(3);
    return false;
  }
  HGLOBAL block = nullptr;
  while (!(block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(TW_ONEVALUE)))) {
    if (AfxMessageBox("Internal error while preparing for TWAIN acquire.", MB_RETRYCANCEL | MB_ICONEXCLAMATION) !=
        IDRETRY)
      return false;
  }
  auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(block));
  if (one) {
    one->ItemType = itemType;
    one->Item = value;
    GlobalUnlock(block);
  }
  TW_CAPABILITY capability{cap, TWON_ONEVALUE, block};
  bool ok = one && SourceCall(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(block);
  return ok;
}

bool CTwain::ProcessMessage(const MSG& msg) {
  if (state_ < 5) return false;
  TW_EVENT event{const_cast<MSG*>(&msg), MSG_NULL};
  SourceCall(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  TW_UINT16 returned = returnCode_;
  // An announcement during a transfer is left to the running transfer loop, which goes on while
  // the state is 6; a nested transfer would overwrite the file not yet converted.
  if (event.TWMessage == MSG_XFERREADY && !transferring_) TransferImages();
  if (event.TWMessage == MSG_CLOSEDSREQ) OnCloseDSRequest();
  return returned == TWRC_DSEVENT;
}

void CTwain::PumpMessages() {
  MSG msg;
  while (state_ >= 5 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program's own loop must still see it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (!ProcessMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void CTwain::TransferImages() {
  if (transferring_) return;
  YieldPoint scannerLoop;
  transferring_ = true;
  for (;;) {
    bool ok = RunTransfer();
    if (state_ != 6) break;
    // A refused or failed transfer would be offered again and again: give up the rest.
    if (!ok) {
      ResetXfers();
      break;
    }
  }
  if (state_ > 6) DropToState(5);
  transferring_ = false;
}

bool CTwain::RunTransfer() {
  switch (mechanism_) {
    case TWSX_NATIVE: return NativeTransfer();
    case TWSX_MEMORY: return MemoryTransfer();
    default: return FileTransfer();
  }
}

bool CTwain::FileTransfer() {
  TW_SETUPFILEXFER setup{};
  if (!SourceCall(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup)) return false;
  TW_UINT16 format = setup.Format;
  if (!OnSetupFileXfer(format, setup)) return false;
  setup.Format = format;
  if (!SourceCall(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) ||
      !SourceCall(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr)) {
    OnFileXferDone(nullptr);
    return false;
  }
  EndXfer();
  PumpMessages();
  OnFileXferDone(&setup);
  return true;
}

bool CTwain::NativeTransfer() {
  TW_HANDLE image = nullptr;
  if (!SourceCall(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image)) return false;
  FreeNativeImage(image);
  EndXfer();
  return true;
}

void CTwain::FreeNativeImage(HANDLE image) {
  if (image) GlobalFree(image);
}

bool CTwain::MemoryTransfer() {
  TW_SETUPMEMXFER setup{};
  if (!SourceCall(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) || !OnMemXferBegin(setup)) return false;
  TW_IMAGEMEMXFER block{};
  if (!AllocMemXferBuffer(block.Memory, setup.Preferred)) return false;
  bool ok = true;
  for (;;) {
    TW_MEMORY memory = block.Memory;
    block = TW_IMAGEMEMXFER{};
    block.Memory = memory;
    if (!SourceCall(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &block) || !OnMemXferBlock(block)) {
      ok = false;
      break;
    }
    if (returnCode_ == TWRC_XFERDONE) break;
  }
  FreeMemXferBuffer(block.Memory);
  if (!ok) return false;
  EndXfer();
  OnMemXferDone();
  return true;
}

bool CTwain::OnMemXferBlock(const TW_IMAGEMEMXFER& block) {
  const auto* bytes = static_cast<const uint8_t*>(block.Memory.TheMem);
  uint64_t end = static_cast<uint64_t>(block.BytesPerRow) * block.Rows;
  if (!bytes || end > block.Memory.Length) return false;
  for (uint32_t row = 0; row < block.Rows; ++row) {
    if (!OnMemXferRow(bytes + static_cast<size_t>(row) * block.BytesPerRow, block.BytesPerRow, block.YOffset + row))
      return false;
  }
  return true;
}

bool CTwain::AllocMemXferBuffer(TW_MEMORY& memory, uint32_t bytes) {
  memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
  memory.Length = bytes;
  memory.TheMem = bytes ? GlobalAlloc(GPTR, bytes) : nullptr;
  return memory.TheMem != nullptr;
}

void CTwain::FreeMemXferBuffer(TW_MEMORY& memory) {
  if (memory.TheMem) GlobalFree(memory.TheMem);
  memory.TheMem = nullptr;
}

// The scanner calls run the source manager's and the source's loops: each is a yield point, so the
// frame that owns this object does not close under them.
bool CTwain::SelectSource(HWND parent) {
  YieldPoint scannerLoop;
  int saved = state_;
  bool chosen = false;
  if (OpenManager(parent)) {
    TW_IDENTITY identity{};
    ManagerCall(DAT_IDENTITY, MSG_GETDEFAULT, &identity);
    chosen = ManagerCall(DAT_IDENTITY, MSG_USERSELECT, &identity);
  } else {
    OnError(0);
  }
  DropToState(saved);
  return chosen;
}

bool CTwain::Acquire(HWND parent) {
  YieldPoint scannerLoop;
  savedState_ = state_;
  if (state_ < 3 && !OpenManager(parent)) {
    OnError(0);
    DropToState(savedState_);
    return false;
  }
  if (state_ < 4 && (!OpenSource() || !NegotiateCaps())) {
    OnError(1);
    DropToState(savedState_);
    return false;
  }
  if (state_ < 5 && !EnableSource(parent)) {
    OnError(2);
    DropToState(savedState_);
    return false;
  }
  return true;
}
