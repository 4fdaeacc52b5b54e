#pragma once
// The application object: brings the program up, owns the application-wide state shared by the
// panes and the worker threads, and shows the About box.
#include <string>

#include "browser/BrowserState.h"
#include "framework/WinApp.h"
#include "viewer/ViewerList.h"

class CMainFrame;

// Profile names of the program's settings.
constexpr char kRegistryCompany[] = "Local AppWizard-Generated Applications";
constexpr char kSettingsSection[] = "Settings";
constexpr char kThumbnailSizeEntry[] = "ThumbnailSize";
constexpr char kSortByEntry[] = "SortBy";
constexpr char kRecentFoldersSection[] = "RecentFolders";

// Thumbnail box of a "ThumbnailSize" code 0-4; 0 for codes out of range.
int ThumbnailBoxForCode(int code);

class CImageBrowserApp : public CWinApp {
 public:
  LUMAVEX_RUNTIME_CLASS
  static const MessageMap kMessageMap;
  const MessageMap& GetMessageMap() const override { return kMessageMap; }

  CImageBrowserApp() = default;
  bool InitInstance() override;

  // Sets the application folder from the path of `module` (null: the program file); on failure
  // says so and leaves the folder empty.
  void FindApplicationFolder(HMODULE module = nullptr);
  // The most recent folder, else the application folder.
  std::string StartFolder() const;
  CMainFrame* MainFrame() const;

  // Thumbnail files being made right now, shared with the list view and the workers.
  ThumbnailClaims& m_thumbnailClaims = Browser().thumbnailClaims;
  // The viewer list and the auto-advance pause flag; the viewer windows reach them too.
  ViewerState& m_viewers = Viewers();
  std::string& m_appFolder = Browser().appFolder;

 private:
  void OnAppAbout();
};

CImageBrowserApp* TheApp();
