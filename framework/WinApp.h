#pragma once
// The application object: start-up hook, the message loop with pre-translation, accelerators and
// idle processing, the registry profile and the wait cursor.
// Ownership: the program makes exactly one, lives through the message loop and destroys it last;
// user-interface thread only, except MainWindowHandleAnyThread and the profile's plain reads.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/CmdTarget.h"
#include "framework/MessageBox.h"
#include "framework/Print.h"
#include "framework/Profile.h"
#include "framework/StandardIds.h"

class CWnd;

class CWinApp : public CCmdTarget, private MessageBoxHost {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  // One application object per process; `appName` defaults to string 57344.
  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return exitCode_; }
  // Runs the message loop until WM_QUIT, then ExitInstance.
  virtual int Run();
  // Offers a message to the windows from its target up to the top-level window.
  virtual bool PreTranslateMessage(MSG* msg);
  // Idle work between messages (command update of bars); true asks for more idle calls.
  virtual bool OnIdle(long count);
  // Gets and dispatches one message; false on WM_QUIT.
  bool PumpMessage();

  // Profile: the registry key Software\<company>\<application name> of the current user.
  void SetRegistryKey(const char* company);
  void LoadStdProfileSettings(UINT maxRecentFiles = 4);
  int GetProfileInt(const char* section, const char* entry, int defaultValue) const;
  bool WriteProfileInt(const char* section, const char* entry, int value) const;
  std::string GetProfileString(const char* section, const char* entry, const char* defaultValue = "") const;
  bool WriteProfileString(const char* section, const char* entry, const char* value) const;
  bool DeleteProfileSection(const char* section) const;
  const RegistryProfile& Profile() const { return profile_; }

  void BeginWaitCursor();
  void EndWaitCursor();

  const std::string& AppName() const { return appName_; }
  // The main window, or null once its window is gone (the application is not told: it asks
  // whether the handle still belongs to the object).
  CWnd* MainWnd() const;
  HWND MainWindowHandle() const;
  // The same, readable from worker threads (which must not touch the window object itself).
  HWND MainWindowHandleAnyThread() const { return MainWindowHandle(); }
  // Makes `wnd` (created) the main window, or clears it. The main window ends the message loop
  // when it is destroyed.
  void SetMainWnd(CWnd* wnd);
  DWORD ThreadId() const { return threadId_; }

  // The printer settings every print dialog and preview starts from: the default printer's,
  // loaded on first use, changed by the print dialog, freed with the application object. Fills
  // pd's device mode and names (still owned by the application); false when there is no printer.
  bool GetPrinterDeviceDefaults(PRINTDLGA* pd);
  PrinterSettings& PrinterDefaults() { return printer_; }

  void OnFileNew() {}  // no document types: nothing to make
  void OnAppExit();

  HINSTANCE m_hInstance = nullptr;

 private:
  std::string BoxCaption() const override { return appName_; }
  HWND BoxOwner() const override { return MainWindowHandleAnyThread(); }
  DWORD BoxThreadId() const override { return threadId_; }

  std::string appName_;
  std::atomic<CWnd*> mainWnd_{nullptr};
  std::atomic<HWND> mainWindowHandle_{nullptr};
  RegistryProfile profile_;
  std::vector<std::string> recentFiles_;
  DWORD threadId_ = 0;
  int exitCode_ = 0;
  int waitCursorCount_ = 0;
  HCURSOR cursorBeforeWait_ = nullptr;
  PrinterSettings printer_;
};

CWinApp* AfxGetApp();
// The program's entry: InitInstance, then the message loop; the process exit code.
int AfxWinMain();
// How long the end of the program waits for its workers to stop.
inline constexpr DWORD kWorkerExitWait = 3000;
// Asks the workers to stop and waits for them; if one still runs after kWorkerExitWait, ends the
// process at once with `exitCode`. Otherwise returns `exitCode` for a normal return from main.
int AfxEndProcess(int exitCode);

// Shows the wait cursor for the life of the object.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};
