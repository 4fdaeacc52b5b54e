#include "framework/MessageBox.h"

#include <mutex>

#include "framework/WinApp.h"

namespace {

struct RecorderState {
  std::mutex lock;
  int depth = 0;  // recorders alive; nested ones share the record
  int answer = IDOK;
  std::vector<MessageBoxRecord> boxes;
};

RecorderState& State() {
  static RecorderState& state = *new RecorderState;  // never destroyed: workers may show boxes late
  return state;
}

}  // namespace

int AfxMessageBox(const char* text, UINT type, const char* caption) {
  CWinApp* app = AfxGetApp();
  std::string title = caption && *caption ? caption : (app ? app->AppName() : std::string());
  // Owned by the main window, also from worker threads, so that a box never hides behind it.
  HWND owner = app ? app->MainWindowHandleAnyThread() : nullptr;
  if (owner && GetCurrentThreadId() == app->ThreadId()) owner = GetLastActivePopup(owner);
  {
    RecorderState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.depth > 0) {
      s.boxes.push_back({text ? text : "", title, type, owner});
      return s.answer;
    }
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
