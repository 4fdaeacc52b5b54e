#include "viewer/SlideShowFrame.h"

#include <new>

#include "framework/YieldPoint.h"
#include "viewer/MyScrollView.h"
#include "viewer/MySlideShowView.h"

RECT FullScreenWindowRect(const RECT& screen, DWORD style, DWORD exStyle) {
  RECT rect = screen;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return rect;
}

const CRuntimeClass CSlideShowFrame::kClass{"CSlideShowFrame", &CFrameWnd::kClass};
const MessageMap CSlideShowFrame::kMessageMap{
    &CFrameWnd::kMessageMap,
    {
        OnMessage(WM_KEYDOWN, &CSlideShowFrame::OnKeyDown),
        OnMessage(WM_DESTROY, &CSlideShowFrame::OnDestroy),
    },
};

namespace {
HWND g_lastShow = nullptr;  // user-interface thread only
}  // namespace

CSlideShowFrame* CSlideShowFrame::FromHandle(HWND hwnd) {
  CWnd* wnd = CWnd::FromHandle(hwnd);
  return wnd && wnd->IsKindOf(&kClass) ? static_cast<CSlideShowFrame*>(wnd) : nullptr;
}

CSlideShowFrame* CSlideShowFrame::OnScreen() {
  CSlideShowFrame* show = FromHandle(g_lastShow);
  return show && IsWindowVisible(show->m_hWnd) && !IsIconic(show->m_hWnd) ? show : nullptr;
}

bool CSlideShowFrame::Create(const std::string& path, CWnd* hostWindow, SlideShowHost* host) {
  path_ = path;
  hostWindow_ = hostWindow ? hostWindow->m_hWnd : nullptr;
  host_ = host;
  size_t slash = path.find_last_of("\\/");
  std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
  const char* cls =
      RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                    LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128)));
  // Owned by the host: the show ends with the window that runs it.
  return CreateFrame(cls, title.c_str(), WS_POPUP, hostWindow);
}

bool CSlideShowFrame::OnCreateClient(CREATESTRUCTA*) {
  // Sized and centred like a viewer window until the full-screen placement replaces it.
  view_ = CreatePictureView<CMySlideShowView>(*this, path_);
  return view_ != nullptr;
}

void CSlideShowFrame::Show(const std::string& path) {
  if (!view_) return;
  WeakWnd<CMySlideShowView> view(view_);
  view_->SetImage(path);
  if (CMySlideShowView* alive = view.Get()) alive->Reveal();
}

void CSlideShowFrame::PictureWhole() {
  if (SlideShowHost* host = Host()) host->SlideWhole(*this);
}

void CSlideShowFrame::ApplyFullScreenPlacement() {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(m_hWnd, &placement);
  placement.showCmd = SW_SHOWNORMAL;
  placement.rcNormalPosition = FullScreenWindowRect(desktop, static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)),
                                                    static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE)));
  SetWindowPlacement(m_hWnd, &placement);
}

SlideShowHost* CSlideShowFrame::Host() const {
  // The host object lives exactly as long as its window is bound to it.
  return hostWindow_ && CWnd::FromHandle(hostWindow_) ? host_ : nullptr;
}

LRESULT CSlideShowFrame::OnKeyDown(WPARAM wParam, LPARAM) {
  switch (wParam) {
    case VK_ESCAPE: PostMessage(WM_CLOSE); break;
    case VK_F2:
      if (SlideShowHost* host = Host()) host->StepSlideBack();
      return 0;
    case VK_F3: ApplyFullScreenPlacement(); break;
    case VK_F4: TogglePause(); break;
    default: break;
  }
  return Default();
}

void CSlideShowFrame::OnDestroy() {
  // However the window goes (closed, or destroyed with the program), its timer goes with it.
  if (SlideShowHost* host = Host()) host->SlideShowEnding(*this);
  Default();
}

CSlideShowFrame* OpenSlideShow(const std::string& path, CWnd* hostWindow, SlideShowHost* host) {
  auto* frame = new (std::nothrow) CSlideShowFrame;
  if (!frame) return nullptr;
  bool created = false;
  try {
    created = frame->Create(path, hostWindow, host);
  } catch (const std::bad_alloc&) {
  }
  if (!created) {
    delete frame;
    return nullptr;
  }
  g_lastShow = frame->m_hWnd;
  frame->ShowWindow(SW_SHOWNORMAL);
  frame->ApplyFullScreenPlacement();
  return frame;
}
