#include "framework/MessageBox.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

#include "framework/YieldPoint.h"

namespace {

struct RecorderState {
  std::mutex lock;
  int depth = 0;  // recorders alive; nested ones share the record
  int answer = IDOK;
  std::vector<MessageBoxRecord> boxes;
  std::function<bool()> answerWhen;
};

RecorderState& State() {
  static RecorderState& state = *new RecorderState;  // never destroyed: workers may show boxes late
  return state;
}

struct QueuedBoxes {
  std::mutex lock;
  std::deque<std::pair<std::string, std::string>> boxes;  // text, caption
};

QueuedBoxes& Queue() {
  static QueuedBoxes& queue = *new QueuedBoxes;  // never destroyed: workers may post late
  return queue;
}

// The loop of a box held up by a test: what a real box's modal loop does, without the box.
void HoldBox(HWND owner, const std::function<bool()>& answerWhen) {
  const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
  MSG msg{};
  while (!answerWhen()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (msg.message == WM_QUIT) break;
  }
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
}

std::atomic<const MessageBoxHost*> g_host{nullptr};

}  // namespace

void SetMessageBoxHost(const MessageBoxHost* host) { g_host.store(host); }

void ClearMessageBoxHost(const MessageBoxHost* host) {
  const MessageBoxHost* expected = host;
  g_host.compare_exchange_strong(expected, nullptr);
}

int AfxMessageBox(const char* text, UINT type, const char* caption) {
  const MessageBoxHost* app = g_host.load();
  std::string title = caption && *caption ? caption : (app ? app->BoxCaption() : std::string());
  // Owned by the main window, also from worker threads, so that a box never hides behind it.
  HWND owner = app ? app->BoxOwner() : nullptr;
  if (owner && GetCurrentThreadId() == app->BoxThreadId()) owner = GetLastActivePopup(owner);
  YieldPoint boxLoop;
  std::function<bool()> answerWhen;
  {
    RecorderState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.depth > 0) {
      s.boxes.push_back({text ? text : "", title, type, owner, GetCurrentThreadId()});
      if (!s.answerWhen) return s.answer;
      answerWhen = s.answerWhen;
    }
  }
  if (answerWhen) {
    HoldBox(owner, answerWhen);
    RecorderState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.answer;
  }
  return MessageBoxA(owner, text ? text : "", title.c_str(), type);
}

MessageBoxRecorder::MessageBoxRecorder(int answer) {
  RecorderState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  ++s.depth;
  s.answer = answer;
  s.boxes.clear();
}

MessageBoxRecorder::~MessageBoxRecorder() {
  RecorderState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  --s.depth;
  s.boxes.clear();
  s.answerWhen = nullptr;
}

std::vector<MessageBoxRecord> MessageBoxRecorder::Boxes() const {
  RecorderState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  return s.boxes;
}

void MessageBoxRecorder::SetAnswer(int answer) {
  RecorderState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.answer = answer;
}

void MessageBoxRecorder::Clear() {
  RecorderState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.boxes.clear();
}

void MessageBoxRecorder::HoldBoxes(std::function<bool()> answerWhen) {
  RecorderState& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  s.answerWhen = std::move(answerWhen);
}

UINT QueuedBoxesMessage() {
  static const UINT message = RegisterWindowMessageA("LumavexQueuedBoxes");
  return message;
}

void AfxPostMessageBox(const std::string& text, const std::string& caption) {
  const MessageBoxHost* app = g_host.load();
  HWND main = app ? app->BoxOwner() : nullptr;
  if (!main) return;
  try {
    QueuedBoxes& q = Queue();
    std::lock_guard<std::mutex> hold(q.lock);
    q.boxes.emplace_back(text, caption);
  } catch (...) {
    return;  // no memory for the text: the box is left out
  }
  PostMessageA(main, QueuedBoxesMessage(), 0, 0);
}

void ShowQueuedMessageBoxes() {
  for (;;) {
    std::pair<std::string, std::string> box;
    {
      QueuedBoxes& q = Queue();
      std::lock_guard<std::mutex> hold(q.lock);
      if (q.boxes.empty()) return;
      box = std::move(q.boxes.front());
      q.boxes.pop_front();
    }
    AfxMessageBox(box.first.c_str(), MB_OK, box.second.c_str());
  }
}
