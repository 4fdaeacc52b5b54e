#include "app/MainFrame.h"

const CRuntimeClass CMainFrame::kClass{"CMainFrame", &CFrameWnd::kClass, &CreateObjectOf<CMainFrame>};
const MessageMap CMainFrame::kMessageMap{&CFrameWnd::kMessageMap, {}};

void CMainFrame::ShowFolder(const std::string& path) { shownFolder_ = path; }
