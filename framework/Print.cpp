#include "framework/Print.h"

#include <cderr.h>

#include <algorithm>
#include <new>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "framework/YieldPoint.h"

namespace {

// Locks a global block for the life of the object.
template <class T>
class GlobalLock_ {
 public:
  explicit GlobalLock_(HGLOBAL block) : block_(block), data_(block ? static_cast<T*>(::GlobalLock(block)) : nullptr) {}
  ~GlobalLock_() {
    if (data_) ::GlobalUnlock(block_);
  }
  GlobalLock_(const GlobalLock_&) = delete;
  GlobalLock_& operator=(const GlobalLock_&) = delete;
  T* get() const { return data_; }
  T* operator->() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  HGLOBAL block_;
  T* data_;
};

}  // namespace

bool PrinterSettings::LoadDefaults() {
  if (!Empty()) return true;
  Free();
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDEFAULT;
  if (!PrintDlgA(&pd)) return false;
  devMode_ = pd.hDevMode;
  devNames_ = pd.hDevNames;
  if (Empty()) {
    Free();
    return false;
  }
  return true;
}

void PrinterSettings::Adopt(HGLOBAL devMode, HGLOBAL devNames) {
  if (devMode) devMode_ = devMode;
  if (devNames) devNames_ = devNames;
}

void PrinterSettings::Free() {
  if (devMode_) GlobalFree(devMode_);
  if (devNames_) GlobalFree(devNames_);
  devMode_ = devNames_ = nullptr;
}

bool PrinterSettings::SetOrientation(short orientation) {
  GlobalLock_<DEVMODEA> mode(devMode_);
  if (!mode) return false;
  mode->dmOrientation = orientation;
  mode->dmFields |= DM_ORIENTATION;
  return true;
}

short PrinterSettings::Orientation() const {
  GlobalLock_<DEVMODEA> mode(devMode_);
  return mode ? mode->dmOrientation : 0;
}

HDC PrinterSettings::CreatePrinterDc() const {
  GlobalLock_<DEVNAMES> names(devNames_);
  if (!names) return nullptr;
  GlobalLock_<DEVMODEA> mode(devMode_);
  const char* base = reinterpret_cast<const char*>(names.get());
  return CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode.get());
}

std::string PrinterSettings::DeviceName() const {
  GlobalLock_<DEVNAMES> names(devNames_);
  if (!names) return "";
  return reinterpret_cast<const char*>(names.get()) + names->wDeviceOffset;
}

CPrintInfo::CPrintInfo() {
  m_pd.lStructSize = sizeof m_pd;
  m_pd.Flags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOSELECTION | PD_RETURNDC;
  m_pd.nMinPage = 1;
  m_pd.nMaxPage = 0xFFFF;
  m_pd.nFromPage = 1;
  m_pd.nToPage = 0xFFFF;
}

CPrintInfo::~CPrintInfo() { SetPrinterDc(nullptr); }

void CPrintInfo::SetPrinterDc(HDC dc) {
  if (m_pd.hDC && m_pd.hDC != dc) DeleteDC(m_pd.hDC);
  m_pd.hDC = dc;
}

UINT CPrintInfo::GetFromPage() const { return (m_pd.Flags & PD_PAGENUMS) ? m_pd.nFromPage : GetMinPage(); }
UINT CPrintInfo::GetToPage() const { return (m_pd.Flags & PD_PAGENUMS) ? m_pd.nToPage : GetMaxPage(); }

INT_PTR CPrintDialog::DoModal() {
  pd_.lStructSize = sizeof pd_;
  if (CWinApp* app = AfxGetApp(); app && !pd_.hwndOwner) pd_.hwndOwner = app->MainWindowHandle();
  // The dialog chooses the page range and the selection; the job keeps what it chose.
  bool ok = false;
  {
    YieldPoint dialogLoop;
    ok = PrintDlgA(&pd_) != FALSE;
  }
  error_ = ok ? 0 : CommDlgExtendedError();
  if (PrinterSettings* defaults = AfxPrinterDefaults()) defaults->Adopt(pd_.hDevMode, pd_.hDevNames);
  if (ok) return IDOK;
  return error_ == 0 ? IDCANCEL : -1;
}

bool CPrintDialog::GetDefaults() {
  PrinterSettings* defaults = AfxPrinterDefaults();
  if (!defaults || !defaults->LoadDefaults()) {
    error_ = PDERR_NODEFAULTPRN;
    return false;
  }
  pd_.hDevMode = defaults->DevMode();
  pd_.hDevNames = defaults->DevNames();
  HDC dc = defaults->CreatePrinterDc();
  if (!dc) {
    error_ = PDERR_CREATEICFAILURE;
    return false;
  }
  if (pd_.hDC && pd_.hDC != dc) DeleteDC(pd_.hDC);
  pd_.hDC = dc;
  return true;
}

bool CView::DoPreparePrinting(CPrintInfo& info) {
  PrinterSettings* defaults = AfxPrinterDefaults();
  if (!defaults || !defaults->LoadDefaults()) {
    AfxMessageBox(kNoPrinterText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  info.m_pd.hDevMode = defaults->DevMode();
  info.m_pd.hDevNames = defaults->DevNames();
  if (info.m_bPreview || info.m_bDirect) {
    CPrintDialog dialog(info.m_pd);
    if (!dialog.GetDefaults()) {
      AfxMessageBox(kNoPrinterText, MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
  } else {
    info.m_pd.Flags |= PD_RETURNDC;
    info.m_pd.hwndOwner = GetParentFrame() ? GetParentFrame()->m_hWnd : nullptr;
    CPrintDialog dialog(info.m_pd);
    const INT_PTR answer = dialog.DoModal();
    if (answer == -1) AfxMessageBox(kNoPrinterText, MB_OK | MB_ICONEXCLAMATION);
    if (answer != IDOK) {
      info.SetPrinterDc(nullptr);
      return false;
    }
  }
  HDC dc = info.PrinterDc();
  if (!dc) return false;
  info.m_rectDraw = {0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  return true;
}

namespace {

constexpr UINT kCancelBoxText = 100;
HWND g_cancelBox = nullptr;
bool g_cancelled = false;
bool g_printing = false;

LRESULT CALLBACK CancelBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    g_cancelled = true;
    EnableWindow(GetDlgItem(hwnd, IDCANCEL), FALSE);
    return 0;
  }
  if (message == WM_CLOSE) {
    g_cancelled = true;
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Pumps the messages of the cancel box so that its button works while pages are sent.
BOOL CALLBACK AbortProc(HDC, int) {
  MSG msg;
  while (!g_cancelled && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      g_cancelled = true;
      break;
    }
    if (!g_cancelBox || !IsDialogMessageA(g_cancelBox, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return !g_cancelled;
}

// The modeless box "Printing page n" with a Cancel button; the owner is disabled meanwhile.
class CancelBox {
 public:
  explicit CancelBox(HWND owner) : owner_(owner) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = CancelBoxProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "LumavexCancelBox";
    RegisterClassA(&cls);  // fails harmlessly once registered
    g_cancelled = false;
    RECT area{0, 0, 260, 100};
    if (owner) GetWindowRect(owner, &area);
    const int x = (area.left + area.right) / 2 - 130;
    const int y = (area.top + area.bottom) / 2 - 50;
    box_ = CreateWindowExA(WS_EX_DLGMODALFRAME, cls.lpszClassName, "Printing", WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y,
                           260, 110, owner, nullptr, cls.hInstance, nullptr);
    if (!box_) return;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND text = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 10, 234, 20, box_,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCancelBoxText)), cls.hInstance, nullptr);
    HWND button =
        CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 90, 40, 80, 24,
                        box_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDCANCEL)), cls.hInstance, nullptr);
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    g_cancelBox = box_;
    if (owner_) ownerWasEnabled_ = !EnableWindow(owner_, FALSE);
    UpdateWindow(box_);
  }
  ~CancelBox() {
    // The owner is enabled again before the box goes, so that the activation returns to it.
    if (owner_ && ownerWasEnabled_) EnableWindow(owner_, TRUE);
    if (box_) DestroyWindow(box_);
    g_cancelBox = nullptr;
  }
  CancelBox(const CancelBox&) = delete;
  CancelBox& operator=(const CancelBox&) = delete;

  void ShowPage(UINT page) const {
    if (!box_) return;
    char text[64];
    wsprintfA(text, "Printing page %u", page);
    SetDlgItemTextA(box_, kCancelBoxText, text);
  }

 private:
  HWND owner_;
  HWND box_ = nullptr;
  bool ownerWasEnabled_ = false;
};

std::string DocumentName(const CView& view) {
  std::string name = AfxGetApp() ? AfxGetApp()->AppName() : std::string("Document");
  if (CFrameWnd* frame = view.GetParentFrame(); frame && !frame->Title().empty() && frame->Title() != name)
    name += " - " + frame->Title();
  return name;
}

}  // namespace

HWND ActiveCancelBox() { return g_cancelBox; }

PrinterSettings* AfxPrinterDefaults() {
  CWinApp* app = AfxGetApp();
  return app ? &app->PrinterDefaults() : nullptr;
}

bool CWinApp::GetPrinterDeviceDefaults(PRINTDLGA* pd) {
  if (!printer_.LoadDefaults()) return false;
  pd->hDevMode = printer_.DevMode();
  pd->hDevNames = printer_.DevNames();
  return true;
}

namespace {

PrintOutcome RunPrintJob(CView& view, CPrintInfo& info, HDC dc) {
  view.OnBeginPrinting(dc, info);
  const UINT first = info.GetFromPage() < info.GetMinPage() ? info.GetMinPage() : info.GetFromPage();
  const UINT last = info.GetToPage() > info.GetMaxPage() ? info.GetMaxPage() : info.GetToPage();
  if (info.GetMaxPage() == 0 || last < first) {
    // Nothing to print: no job at all.
    view.OnEndPrinting(dc, info);
    return PrintOutcome::NotStarted;
  }
  CFrameWnd* frame = view.GetParentFrame();
  WeakWnd<CView> alive(&view);
  PrintOutcome outcome = PrintOutcome::Printed;
  {
    CancelBox box(frame ? frame->m_hWnd : nullptr);
    SetAbortProc(dc, AbortProc);
    const std::string name = DocumentName(view);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    if (StartDocA(dc, &doc) <= 0) {
      outcome = PrintOutcome::Failed;
    } else {
      for (UINT page = first; page <= last && page <= info.GetMaxPage(); ++page) {
        box.ShowPage(page);
        // The abort procedure dispatches messages: the view is reached only while it exists.
        if (!AbortProc(dc, 0) || !alive.Get()) {
          outcome = PrintOutcome::Cancelled;
          break;
        }
        info.m_nCurPage = page;
        info.m_bContinuePrinting = true;
        view.OnPrepareDC(dc, &info);
        if (!info.m_bContinuePrinting) break;
        if (StartPage(dc) <= 0) {
          outcome = PrintOutcome::Failed;
          break;
        }
        info.m_rectDraw = {0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
        view.OnPrint(dc, info);
        if (EndPage(dc) <= 0) {
          outcome = g_cancelled ? PrintOutcome::Cancelled : PrintOutcome::Failed;
          break;
        }
      }
      if (outcome == PrintOutcome::Printed)
        EndDoc(dc);
      else
        AbortDoc(dc);
    }
  }
  if (alive.Get()) view.OnEndPrinting(dc, info);
  if (outcome == PrintOutcome::Failed) AfxMessageBox(kPrintFailedText, MB_OK | MB_ICONEXCLAMATION);
  return outcome;
}

}  // namespace

PrintOutcome RunPrintLoop(CView& view, CPrintInfo& info) {
  HDC dc = info.PrinterDc();
  // One job at a time: the cancel box and the abort procedure belong to the running one.
  if (!dc || g_printing) return PrintOutcome::NotStarted;
  // The abort procedure dispatches messages for the whole job: the job is one yield point, so no
  // frame closes and no relisting runs under it.
  struct JobScope {
    JobScope() { g_printing = true; }
    ~JobScope() { g_printing = false; }
  } scope;
  YieldPoint printLoop;
  return RunPrintJob(view, info, dc);
}

void CView::OnFilePrint() {
  CPrintInfo info;
  if (!OnPreparePrinting(info)) return;
  lastPrintOutcome_ = RunPrintLoop(*this, info);
}
