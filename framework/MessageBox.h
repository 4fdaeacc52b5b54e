#pragma once
// The one way the program shows a message box. Tests switch it to recording and answering, so
// that no test ever blocks on a box.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// What boxes need of the application: its title, its main window (read from any thread) and its
// user-interface thread. The application registers itself for its lifetime; without one, boxes
// have no owner and no default caption.
class MessageBoxHost {
 public:
  virtual std::string BoxCaption() const = 0;
  virtual HWND BoxOwner() const = 0;
  virtual DWORD BoxThreadId() const = 0;

 protected:
  ~MessageBoxHost() = default;
};
void SetMessageBoxHost(const MessageBoxHost* host);
// The registered host while it is the one given (a host that goes clears itself only).
void ClearMessageBoxHost(const MessageBoxHost* host);

// Shows a modal box owned by the application's main window (if any), also when called from a
// worker thread, so that the box never hides behind the window. An empty caption means the
// application's title. Safe to call from any thread. The box is a yield point (YieldPoint.h).
int AfxMessageBox(const char* text, UINT type = MB_OK, const char* caption = nullptr);

// Queues a box for the main window to show from its own message loop, once no yield point is open:
// the way worker threads (and code inside a notification) report. Safe to call from any thread;
// dropped when there is no main window.
void AfxPostMessageBox(const std::string& text, const std::string& caption);
// The message that tells a window to show the queued boxes, and what it does on it.
UINT QueuedBoxesMessage();
void ShowQueuedMessageBoxes();

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type = 0;
  HWND owner = nullptr;  // the window the box would have been owned by
  DWORD thread = 0;      // the thread that showed it
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
  // From now on each box stays up, with a message loop running as under a real box (its owner
  // disabled, timers and posted messages dispatched), until `answerWhen()` holds; then it is
  // answered. Null answers at once again.
  void HoldBoxes(std::function<bool()> answerWhen);
};
