#include "framework/WinApp.h"

#include "framework/Thread.h"
#include "framework/Wnd.h"

namespace {
CWinApp* g_app = nullptr;

std::string LoadResourceString(UINT id) {
  char text[256] = "";
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}
}  // namespace

const CRuntimeClass CWinApp::kClass{"CWinApp", &CCmdTarget::kClass};
const MessageMap CWinApp::kMessageMap{
    &CCmdTarget::kMessageMap,
    {
        OnCommand(ID_APP_EXIT, &CWinApp::OnAppExit),
    },
};

CWinApp* AfxGetApp() { return g_app; }

CWinApp::CWinApp(const char* appName) : appName_(appName ? appName : "") {
  g_app = this;
  m_hInstance = GetModuleHandleA(nullptr);
  threadId_ = GetCurrentThreadId();
  if (appName_.empty()) appName_ = LoadResourceString(AFX_IDS_APP_TITLE);
  SetMessageBoxHost(this);
}

CWinApp::~CWinApp() {
  // A main window that outlives the application no longer ends a loop.
  if (CWnd* wnd = MainWnd()) wnd->SetQuitWhenDestroyed(false);
  if (g_app == this) g_app = nullptr;
  ClearMessageBoxHost(this);
}

CWnd* CWinApp::MainWnd() const {
  CWnd* wnd = mainWnd_.load();
  HWND hwnd = mainWindowHandle_.load();
  return wnd && hwnd && CWnd::FromHandle(hwnd) == wnd ? wnd : nullptr;
}

HWND CWinApp::MainWindowHandle() const { return MainWnd() ? mainWindowHandle_.load() : nullptr; }

void CWinApp::SetMainWnd(CWnd* wnd) {
  if (CWnd* old = MainWnd(); old && old != wnd) old->SetQuitWhenDestroyed(false);
  mainWnd_.store(wnd);
  mainWindowHandle_.store(wnd ? wnd->m_hWnd : nullptr);
  if (wnd) wnd->SetQuitWhenDestroyed(true);
}

void CWinApp::SetRegistryKey(const char* company) {
  profile_.SetRoot(std::string("Software\\") + company + "\\" + appName_);
}

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles) {
  recentFiles_.clear();
  for (UINT i = 1; i <= maxRecentFiles; ++i) {
    char entry[16];
    wsprintfA(entry, "File%u", i);
    std::string file = profile_.GetString("Recent File List", entry);
    if (!file.empty()) recentFiles_.push_back(file);
  }
}

int CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const {
  return profile_.GetInt(section, entry, defaultValue);
}
bool CWinApp::WriteProfileInt(const char* section, const char* entry, int value) const {
  return profile_.WriteInt(section, entry, value);
}
std::string CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) const {
  return profile_.GetString(section, entry, defaultValue);
}
bool CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) const {
  return profile_.WriteString(section, entry, value);
}
bool CWinApp::DeleteProfileSection(const char* section) const { return profile_.DeleteSection(section); }

void CWinApp::OnAppExit() {
  if (CWnd* main = MainWnd()) main->PostMessage(WM_CLOSE);
}

bool CWinApp::PreTranslateMessage(MSG* msg) {
  HWND topLevel = nullptr;
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = GetParent(hwnd)) {
    CWnd* wnd = CWnd::FromHandle(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) return true;
    topLevel = hwnd;
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) break;  // stop at the top-level window
  }
  // Thread messages and messages of windows outside the main window (a scanner's dialogs, for
  // instance) are offered to the main window too.
  CWnd* main = MainWnd();
  if (main && topLevel != main->m_hWnd) return main->PreTranslateMessage(msg);
  return false;
}

bool CWinApp::OnIdle(long count) {
  CWnd* main = MainWnd();
  if (count == 0 && main) {
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, true);
  }
  return false;
}

bool CWinApp::PumpMessage() {
  MSG msg;
  if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
    exitCode_ = static_cast<int>(msg.wParam);
    return false;
  }
  if (!PreTranslateMessage(&msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

int CWinApp::Run() {
  long idleCount = 0;
  bool idle = true;
  MSG peek;
  for (;;) {
    while (idle && !PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    if (!PumpMessage()) return ExitInstance();
    // Paint and the caret's timer come all the time and change no command state.
    if (peek.message != WM_PAINT && peek.message != 0x0118) {
      idle = true;
      idleCount = 0;
    }
  }
}

void CWinApp::BeginWaitCursor() {
  if (waitCursorCount_++ == 0) cursorBeforeWait_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void CWinApp::EndWaitCursor() {
  if (waitCursorCount_ > 0 && --waitCursorCount_ == 0) SetCursor(cursorBeforeWait_);
}

CWaitCursor::CWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->BeginWaitCursor();
}

CWaitCursor::~CWaitCursor() {
  if (CWinApp* app = AfxGetApp()) app->EndWaitCursor();
}

int AfxEndProcess(int exitCode) {
  if (!AfxStopWorkers(kWorkerExitWait)) {
    // A worker still runs: end here, before static objects are destroyed under it. ExitProcess
    // ends the other threads first.
    ExitProcess(static_cast<UINT>(exitCode));
  }
  return exitCode;
}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  if (!app->InitInstance()) {
    if (CWnd* main = app->MainWnd()) main->DestroyWindow();
    return AfxEndProcess(app->ExitInstance());
  }
  return AfxEndProcess(app->Run());
}
