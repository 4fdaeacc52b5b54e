// A mail client for tests. Registered as the default client, it receives the program's Simple
// MAPI call from MAPI32.DLL and appends what it received to the file named by the environment
// variable LUMAVEX_MAIL_LOG: the call's parameters, the message's fields, each file descriptor, and
// the state of the owner window and of the thread's other top-level windows during the call. It
// returns the number in LUMAVEX_MAIL_RESULT (0 when unset). With LUMAVEX_MAIL_PUMP set it first
// dispatches the thread's pending messages, as a mail program's dialog would. With LUMAVEX_MAIL_SHOW
// set to a number of seconds it shows what it received in a window of its own for that long, the
// way a mail program shows its message dialog (for screenshots).
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name) {
  char value[1024] = "";
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// A string field as "<null>" or the text in quotes, so that null and empty differ.
std::string Quoted(const char* text) { return text ? "\"" + std::string(text) + "\"" : "<null>"; }

std::string Handle(const void* handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
  return text;
}

struct Log {
  std::string text;
  void Line(const char* key, const std::string& value) { text += std::string(key) + "=" + value + "\n"; }
  void Line(const char* key, unsigned long long value) { Line(key, std::to_string(value)); }
};

BOOL CALLBACK LogWindow(HWND window, LPARAM log) {
  if (IsWindowVisible(window))
    reinterpret_cast<Log*>(log)->Line("window", Handle(window) + (IsWindowEnabled(window) ? " enabled" : " disabled"));
  return TRUE;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Shows `text` in a window owned by `owner` for `seconds`, running a message loop meanwhile.
void ShowFor(HWND owner, const std::string& text, unsigned seconds) {
  std::string shown;
  for (char c : text) {
    if (c == '\n') shown += '\r';
    shown += c;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "LumavexTestMailWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "Test mail client: new message", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                200, 100, 660, 600, owner, nullptr, wc.hInstance, nullptr);
  if (!window) return;
  RECT client;
  GetClientRect(window, &client);
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", shown.c_str(),
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, client.right,
                              client.bottom, window, nullptr, wc.hInstance, nullptr);
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), TRUE);
  const DWORD end = GetTickCount() + seconds * 1000;
  while (GetTickCount() < end) {
    PumpPending();
    Sleep(20);
  }
  DestroyWindow(window);
}

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG reserved) {
  HWND owner = reinterpret_cast<HWND>(uiParam);
  Log log;
  log.Line("call", "begin");
  log.Line("session", session);
  log.Line("owner", Handle(owner));
  log.Line("flags", flags);
  log.Line("reserved", reserved);
  log.Line("owner.enabled", owner && IsWindowEnabled(owner) ? 1 : 0);
  log.Line("owner.capture", owner && GetCapture() == owner ? 1 : 0);
  log.Line("focus", Handle(GetFocus()));
  EnumThreadWindows(GetCurrentThreadId(), LogWindow, reinterpret_cast<LPARAM>(&log));
  if (!Environment("LUMAVEX_MAIL_PUMP").empty()) PumpPending();
  if (message) {
    log.Line("message.reserved", message->ulReserved);
    log.Line("message.subject", Quoted(message->lpszSubject));
    log.Line("message.text", Quoted(message->lpszNoteText));
    log.Line("message.type", Quoted(message->lpszMessageType));
    log.Line("message.date", Quoted(message->lpszDateReceived));
    log.Line("message.conversation", Quoted(message->lpszConversationID));
    log.Line("message.flags", message->flFlags);
    log.Line("message.originator", Handle(message->lpOriginator));
    log.Line("message.recipients", message->nRecipCount);
    log.Line("message.recipientArray", Handle(message->lpRecips));
    log.Line("message.files", message->nFileCount);
    for (ULONG i = 0; message->lpFiles && i < message->nFileCount; ++i) {
      const MapiFileDesc& file = message->lpFiles[i];
      log.Line("file.reserved", file.ulReserved);
      log.Line("file.flags", file.flFlags);
      log.Line("file.position", file.nPosition);
      log.Line("file.path", Quoted(file.lpszPathName));
      log.Line("file.name", Quoted(file.lpszFileName));
      log.Line("file.type", Handle(file.lpFileType));
    }
  }
  log.Line("call", "end");
  const std::string show = Environment("LUMAVEX_MAIL_SHOW");
  if (!show.empty()) ShowFor(owner, log.text, static_cast<unsigned>(std::strtoul(show.c_str(), nullptr, 10)));

  const std::string path = Environment("LUMAVEX_MAIL_LOG");
  if (!path.empty()) {
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
      std::fwrite(log.text.data(), 1, log.text.size(), f);
      std::fclose(f);
    }
  }
  const std::string result = Environment("LUMAVEX_MAIL_RESULT");
  return result.empty() ? SUCCESS_SUCCESS : static_cast<ULONG>(std::strtoul(result.c_str(), nullptr, 0));
}
