#pragma once
// The application object: brings the program up and shows the About box. The application-wide
// state lives with the modules that own it (Browser(), Viewers(), the settings module).
// Ownership: the program's entry makes the one object and destroys it after the message loop; the
// main frame it creates deletes itself with its window. User-interface thread only.
#include <string>

#include "framework/WinApp.h"

class CMainFrame;

class CImageBrowserApp : public CWinApp {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  CImageBrowserApp() = default;
  bool InitInstance() override;

  // Sets the application folder (Browser().appFolder) from the path of `module` (null: the program file); on failure
  // says so and leaves the folder empty.
  void FindApplicationFolder(HMODULE module = nullptr);
  // The most recent folder, else the application folder.
  std::string StartFolder() const;
  CMainFrame* MainFrame() const;

 private:
  void OnAppAbout();
};

CImageBrowserApp* TheApp();
