#pragma once
// Drives the next modal dialog this thread shows: a thread timer, dispatched by the dialog's own
// loop, finds the dialog and runs the test's action on it (which ends it with a button).
#include <windows.h>

#include <functional>
#include <string>

class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND dialog)> action);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool Ran() const { return ran_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  std::function<void(HWND)> action_;
  UINT_PTR timer_ = 0;
  bool ran_ = false;
};

// The text of control `id` of `dialog`.
std::string ControlText(HWND dialog, int id);
// Presses the button `id` as a click does.
void ClickButton(HWND dialog, int id);
