#pragma once
// The scanner protocol: loads the TWAIN source manager, keeps the protocol state (1 = manager not
// loaded ... 7 = transferring) and wraps every call. A base of the main frame, which overrides the
// file transfer hooks. Everything runs on the user-interface thread; the manager's library and the
// source identity are one per process, the state is per object.
#include <windows.h>

#include <cstdint>

#include "scan/TwainProtocol.h"

class CTwain {
 public:
  CTwain();
  virtual ~CTwain();
  CTwain(const CTwain&) = delete;
  CTwain& operator=(const CTwain&) = delete;

  int State() const { return state_; }
  TW_UINT16 LastReturnCode() const { return returnCode_; }
  const TW_IDENTITY& AppIdentity() const { return appId_; }
  static TW_IDENTITY& SourceIdentity();
  // True while the manager's library is loaded in this process.
  static bool ManagerLoaded();
  void SetParentWindow(HWND parent) { parent_ = parent; }
  void SetTransferMechanism(int mechanism) { mechanism_ = mechanism; }
  int TransferMechanism() const { return mechanism_; }
  void SetShowUI(bool show) { showUI_ = show ? 1 : 0; }

  bool LoadManager();
  bool IsAvailable();
  bool OpenManager(HWND parent = nullptr);
  bool OpenSource();
  bool EnableSource(HWND parent = nullptr);
  bool DisableSource();
  bool CloseDS();
  bool CloseManager(HWND parent = nullptr);
  bool UnloadManager();
  bool EndXfer();
  bool ResetXfers();
  bool DropToState(int target);
  // Sets a one-value capability; only in state 4.
  bool SetOneValueCapability(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value);

  // Offers a message the thread is about to dispatch; true when it belonged to the source.
  bool ProcessMessage(const MSG& msg);
  // Dispatches waiting messages while the source is enabled, through the filter.
  void PumpMessages();

  bool SelectSource(HWND parent = nullptr);
  bool Acquire(HWND parent = nullptr);

 protected:
  virtual bool NegotiateCaps() { return true; }
  virtual void TransferImages();
  virtual bool FileTransfer();
  virtual bool MemoryTransfer();
  virtual bool NativeTransfer();
  virtual void OnCloseDSRequest() { CloseDS(); }
  virtual void FreeNativeImage(HANDLE image);
  virtual bool OnMemXferBegin(const TW_SETUPMEMXFER& setup) { return true; }
  virtual bool OnMemXferBlock(const TW_IMAGEMEMXFER& block);
  virtual bool OnMemXferRow(const uint8_t* row, uint32_t bytes, uint32_t y) { return true; }
  virtual void OnMemXferDone() {}
  virtual bool AllocMemXferBuffer(TW_MEMORY& memory, uint32_t bytes);
  virtual void FreeMemXferBuffer(TW_MEMORY& memory);
  // Given the proposed format and the record before MSG_SET; false refuses the transfer.
  virtual bool OnSetupFileXfer(TW_UINT16& format, TW_SETUPFILEXFER& setup) { return true; }
  // The record after a successful transfer, or null after a failed one.
  virtual void OnFileXferDone(const TW_SETUPFILEXFER* setup) {}
  virtual void OnStateChange(int state) {}
  // 0 = manager not opened, 1 = source not opened, 2 = source not enabled, 3 = capability set
  // outside state 4.
  virtual void OnError(int step) {}

  bool ManagerCall(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  bool SourceCall(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  void SetState(int state);
  HWND ParentOr(HWND parent) const;

 private:
  // The condition code of the last failure, asked of the source or the manager.
  void FetchStatus();
  bool RunTransfer();

  int state_ = 1;
  int savedState_ = 1;
  TW_IDENTITY appId_{};
  TW_UINT16 returnCode_ = TWRC_SUCCESS;
  TW_USERINTERFACE ui_{};
  int showUI_ = 1;
  TW_PENDINGXFERS pending_{};
  HWND parent_ = nullptr;
  int mechanism_ = TWSX_NATIVE;
  bool transferring_ = false;
};
