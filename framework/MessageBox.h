#pragma once
// The one way the program shows a message box. Tests switch it to recording and answering, so
// that no test ever blocks on a box.
#include <windows.h>

#include <string>
#include <vector>

// Shows a modal box owned by the application's main window (if any), also when called from a
// worker thread, so that the box never hides behind the window. An empty caption means the
// application's title. Safe to call from any thread.
int AfxMessageBox(const char* text, UINT type = MB_OK, const char* caption = nullptr);

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type = 0;
  HWND owner = nullptr;  // the window the box would have been owned by
};

// While an instance lives, boxes are recorded instead of shown and answered with `answer`.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = IDOK);
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  std::vector<MessageBoxRecord> Boxes() const;
  void SetAnswer(int answer);
  void Clear();
};
