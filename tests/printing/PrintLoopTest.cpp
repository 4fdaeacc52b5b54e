// The framework's print loop on the real default printer (the fixture's CUPS-PDF queue).
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "tests/printing/PrintTestSupport.h"
#include "tests/support/MessagePump.h"

namespace {

// A view of `pages` pages that records its printing steps; it may press the cancel box's button
// while it prints page `cancelOn`.
class RecordingView : public CView {
 public:
  void OnBeginPrinting(HDC, CPrintInfo& info) override {
    steps.push_back("begin");
    info.SetMaxPage(pages);
  }
  void OnPrint(HDC dc, CPrintInfo& info) override {
    steps.push_back("page " + std::to_string(info.m_nCurPage));
    cancelBoxSeen |= ActiveCancelBox() != nullptr;
    ownerDisabled |= GetParentFrame() && !IsWindowEnabled(GetParentFrame()->m_hWnd);
    RECT r{100, 100, 400, 400};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (info.m_nCurPage == cancelOn && ActiveCancelBox())
      ::SendMessageA(GetDlgItem(ActiveCancelBox(), IDCANCEL), BM_CLICK, 0, 0);
    frameKept &= GetParentFrame() != nullptr;
    if (info.m_nCurPage == closeOn && GetParentFrame()) GetParentFrame()->PostMessage(WM_CLOSE);
    if (info.m_nCurPage == 1 && shrinkTo) info.SetMaxPage(shrinkTo);
  }
  void OnEndPrinting(HDC, CPrintInfo&) override { steps.push_back("end"); }
  void PostNcDestroy() override {}

  UINT pages = 3;
  UINT cancelOn = 0;
  UINT closeOn = 0;   // the page during which the frame is asked to close
  UINT shrinkTo = 0;  // the page count the job drops to after page 1, as a relisting may do
  bool frameKept = true;
  std::vector<std::string> steps;
  bool cancelBoxSeen = false;
  bool ownerDisabled = false;
};

class PrintLoop : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->CreateFrame(CWnd::RegisterClass(0), "Loop", WS_OVERLAPPEDWINDOW));
    RECT r{0, 0, 200, 200};
    ASSERT_TRUE(view_.Create(frame_, AFX_IDW_PANE_FIRST, r));
    WaitForPrinterIdle();
    pdfsBefore_ = PdfFiles();
  }
  void TearDown() override {
    WaitForPrinterIdle();
    RemoveNewPdfs(pdfsBefore_);
    view_.DestroyWindow();
    if (frame_) frame_->DestroyWindow();
    PumpMessages();
  }
  bool Prepare(CPrintInfo& info) {
    info.m_bDirect = true;
    return view_.DoPreparePrinting(info);
  }
  CWinApp app_{"Lumavex Print Loop"};
  MessageBoxRecorder boxes_;
  CFrameWnd* frame_ = nullptr;
  RecordingView view_;
  std::set<std::string> pdfsBefore_;
};

TEST_F(PrintLoop, EveryPageBetweenBeginAndEndLandsInTheDocument) {
  CPrintInfo info;
  ASSERT_TRUE(Prepare(info));
  std::set<std::string> before = PdfFiles();
  EXPECT_EQ(RunPrintLoop(view_, info), PrintOutcome::Printed);
  EXPECT_EQ(view_.steps, (std::vector<std::string>{"begin", "page 1", "page 2", "page 3", "end"}));
  EXPECT_TRUE(view_.cancelBoxSeen);
  EXPECT_TRUE(view_.ownerDisabled);
  // Afterwards the frame takes input again and the box is gone.
  EXPECT_TRUE(IsWindowEnabled(frame_->m_hWnd));
  EXPECT_EQ(ActiveCancelBox(), nullptr);
  std::string pdf = WaitForNewPdf(before);
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(ReadPdfInfo(pdf).pages, 3);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(PrintLoop, TheCancelBoxEndsTheJobAfterThePageItInterrupted) {
  view_.pages = 5;
  view_.cancelOn = 2;
  CPrintInfo info;
  ASSERT_TRUE(Prepare(info));
  EXPECT_EQ(RunPrintLoop(view_, info), PrintOutcome::Cancelled);
  EXPECT_EQ(view_.steps, (std::vector<std::string>{"begin", "page 1", "page 2", "end"}));
  EXPECT_TRUE(IsWindowEnabled(frame_->m_hWnd));
  EXPECT_TRUE(boxes_.Boxes().empty());  // cancelling is no failure
}

TEST_F(PrintLoop, AFrameAskedToCloseDuringTheJobClosesWhenItHasEnded) {
  view_.closeOn = 1;
  CPrintInfo info;
  ASSERT_TRUE(Prepare(info));
  EXPECT_EQ(RunPrintLoop(view_, info), PrintOutcome::Printed);
  EXPECT_EQ(view_.steps, (std::vector<std::string>{"begin", "page 1", "page 2", "page 3", "end"}));
  EXPECT_TRUE(view_.frameKept);
  HWND frame = frame_->m_hWnd;
  ASSERT_TRUE(IsWindow(frame));
  PumpMessages();
  EXPECT_FALSE(IsWindow(frame));
  frame_ = nullptr;  // it deleted itself with its window
}

TEST_F(PrintLoop, PagesThatWentDuringTheJobAreNotPrinted) {
  view_.shrinkTo = 1;
  CPrintInfo info;
  ASSERT_TRUE(Prepare(info));
  EXPECT_EQ(RunPrintLoop(view_, info), PrintOutcome::Printed);
  EXPECT_EQ(view_.steps, (std::vector<std::string>{"begin", "page 1", "end"}));
}

TEST_F(PrintLoop, AJobWithoutPagesStartsNoDocument) {
  view_.pages = 0;
  CPrintInfo info;
  ASSERT_TRUE(Prepare(info));
  std::set<std::string> before = PdfFiles();
  EXPECT_EQ(RunPrintLoop(view_, info), PrintOutcome::NotStarted);
  EXPECT_EQ(view_.steps, (std::vector<std::string>{"begin", "end"}));
  EXPECT_EQ(ActiveCancelBox(), nullptr);
  Sleep(1500);
  EXPECT_EQ(PdfFiles(), before);
}

TEST_F(PrintLoop, APageRangeChosenInTheDialogPrintsOnlyThosePages) {
  view_.pages = 5;
  CPrintInfo info;
  ASSERT_TRUE(Prepare(info));
  info.m_pd.Flags |= PD_PAGENUMS;
  info.m_pd.nFromPage = 2;
  info.m_pd.nToPage = 9;  // past the last page: up to the last
  EXPECT_EQ(RunPrintLoop(view_, info), PrintOutcome::Printed);
  EXPECT_EQ(view_.steps, (std::vector<std::string>{"begin", "page 2", "page 3", "page 4", "page 5", "end"}));
}

TEST_F(PrintLoop, ThePrinterDefaultsAreLoadedOnceAndKeptByTheApplication) {
  PrinterSettings& defaults = app_.PrinterDefaults();
  ASSERT_TRUE(defaults.LoadDefaults());
  HGLOBAL mode = defaults.DevMode();
  HGLOBAL names = defaults.DevNames();
  EXPECT_FALSE(defaults.DeviceName().empty());
  // Every job borrows the same blocks.
  PRINTDLGA pd{};
  ASSERT_TRUE(app_.GetPrinterDeviceDefaults(&pd));
  EXPECT_EQ(pd.hDevMode, mode);
  EXPECT_EQ(pd.hDevNames, names);
  {
    CPrintInfo info;
    ASSERT_TRUE(Prepare(info));
    EXPECT_EQ(info.m_pd.hDevMode, mode);
  }
  // The job is gone; the blocks are still the application's.
  EXPECT_NE(GlobalSize(mode), 0u);
  EXPECT_TRUE(defaults.SetOrientation(DMORIENT_LANDSCAPE));
  EXPECT_EQ(defaults.Orientation(), DMORIENT_LANDSCAPE);
  defaults.Free();
  EXPECT_TRUE(defaults.Empty());
  defaults.Free();  // freeing twice frees nothing twice
  EXPECT_TRUE(defaults.LoadDefaults());
}

}  // namespace
