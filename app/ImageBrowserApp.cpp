#include "app/ImageBrowserApp.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/MainFrame.h"
#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "image/ImageSettings.h"
#include "navigation/ProfileMruList.h"
#include "program/Settings.h"
#include "search/FindDlg.h"

const CRuntimeClass CImageBrowserApp::kClass{"CImageBrowserApp", &CWinApp::kClass};
const MessageMap CImageBrowserApp::kMessageMap{
    &CWinApp::kMessageMap,
    {
        OnCommand(ID_APP_ABOUT, &CImageBrowserApp::OnAppAbout),
        OnCommand(ID_FILE_NEW, &CWinApp::OnFileNew),
    },
};

CImageBrowserApp* TheApp() { return static_cast<CImageBrowserApp*>(AfxGetApp()); }

void CImageBrowserApp::FindApplicationFolder(HMODULE module) {
  char path[kPathBytes];
  DWORD length = GetModuleFileNameA(module, path, kPathBytes);
  std::string& appFolder = Browser().appFolder;
  if (length == 0 || length >= kPathBytes) {
    AfxMessageBox("Error getting Application path", MB_OK);
    appFolder.clear();
    return;
  }
  appFolder.assign(path, length);
  size_t slash = appFolder.rfind('\\');
  appFolder.resize(slash == std::string::npos ? 0 : slash);
}

std::string CImageBrowserApp::StartFolder() const {
  CProfileMruList recent = RecentFolderList();
  recent.ReadList();
  return recent[0].empty() ? Browser().appFolder : recent[0];
}

CMainFrame* CImageBrowserApp::MainFrame() const { return static_cast<CMainFrame*>(MainWnd()); }

bool CImageBrowserApp::InitInstance() {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_ANIMATE_CLASS};
  InitCommonControlsEx(&controls);
  SetRegistryKey(kRegistryCompany);
  LoadStdProfileSettings(4);
  FindApplicationFolder();
  InstallFindDialog();

  int box = ThumbnailBoxForCode(ReadThumbnailSizeCode());
  if (box) SetThumbnailBox(box);

  auto* frame = new CMainFrame;
  if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
    delete frame;
    return false;
  }
  if (!MainWnd()) SetMainWnd(frame);
  frame->InitialUpdateFrame();
  frame->ShowWindow(SW_SHOWMAXIMIZED);
  frame->UpdateWindow();
  frame->OnUpdateFrameTitle();
  frame->ShowFolder(StartFolder());
  return true;
}

namespace {
class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
}  // namespace

void CImageBrowserApp::OnAppAbout() {
  CAboutDlg about;
  about.DoModal();
}
