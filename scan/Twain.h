#pragma once
// The scanner protocol base of the main frame. The source manager is not loaded yet: the frame
// asks IsAvailable and runs without a scanner when it reports false.
#include <windows.h>

class CTwain {
 public:
  virtual ~CTwain() = default;

  bool IsAvailable() const { return false; }
  void SetParentWindow(HWND parent) { parent_ = parent; }
  bool OpenManager() { return false; }
  virtual void OnError(int code) {}
  void SetTransferMechanism(int mechanism) { mechanism_ = mechanism; }
  // Offers a message the frame's thread is about to dispatch; true when the scanner took it.
  bool ProcessMessage(const MSG& msg) { return false; }

 protected:
  HWND parent_ = nullptr;
  int mechanism_ = 0;
};
