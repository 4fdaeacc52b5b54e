#include "framework/TaskbarProgress.h"

#include <shobjidl.h>

CTaskbarProgress::~CTaskbarProgress() {
  if (list_) list_->Release();
}

bool CTaskbarProgress::Available() {
  if (asked_) return list_ != nullptr;
  asked_ = true;
  void* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &list)) || !list)
    return false;
  list_ = static_cast<ITaskbarList3*>(list);
  if (FAILED(list_->HrInit())) {
    list_->Release();
    list_ = nullptr;
  }
  return list_ != nullptr;
}

void CTaskbarProgress::Show(HWND window, int done, int total) {
  if (!Available() || total <= 0) return;
  // A failed call (no button yet) changes nothing; the next figures are sent anyway.
  list_->SetProgressState(window, TBPF_NORMAL);
  list_->SetProgressValue(window, static_cast<ULONGLONG>(done < total ? done : total), static_cast<ULONGLONG>(total));
}

void CTaskbarProgress::Clear(HWND window) {
  if (list_) list_->SetProgressState(window, TBPF_NOPROGRESS);
}

UINT CTaskbarProgress::ButtonCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarButtonCreated");
  return message;
}
