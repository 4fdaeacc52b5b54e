#include "tests/search/DialogDriver.h"

namespace {

DialogDriver* g_driver = nullptr;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM found) {
  char name[16] = "";
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

}  // namespace

DialogDriver::DialogDriver(std::function<void(HWND)> action) : action_(std::move(action)) {
  g_driver = this;
  timer_ = SetTimer(nullptr, 0, 20, &DialogDriver::Tick);
}

DialogDriver::~DialogDriver() {
  if (timer_) KillTimer(nullptr, timer_);
  g_driver = nullptr;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  DialogDriver* driver = g_driver;
  if (!driver || driver->ran_) return;
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog || GetWindowTextLengthA(dialog) == 0) return;
  char caption[64] = "";
  GetWindowTextA(dialog, caption, sizeof caption);
  // The modeless Find dialog is not the one waited for.
  if (lstrcmpA(caption, "Find Files and Annotation") == 0) return;
  driver->ran_ = true;
  KillTimer(nullptr, id);
  driver->timer_ = 0;
  driver->action_(dialog);
}

std::string ControlText(HWND dialog, int id) {
  char text[1024] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void ClickButton(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
