#pragma once
// Printing: the printer settings (a device mode and device names), the state of one print job
// (CPrintInfo), the print dialog, and the print loop that runs a view's printing steps with an
// abort procedure and a cancel box.
//
// Ownership: PrinterSettings owns its two global memory blocks. The application keeps the
// program's printer defaults in one PrinterSettings; a CPrintInfo borrows them (it never frees
// the device mode or names in m_pd) and owns only its printer DC. UI thread only.
#include <windows.h>

#include <commdlg.h>

#include <string>

class CView;

// A device mode and device names in global memory, owned, freed exactly once.
class PrinterSettings {
 public:
  PrinterSettings() = default;
  ~PrinterSettings() { Free(); }
  PrinterSettings(const PrinterSettings&) = delete;
  PrinterSettings& operator=(const PrinterSettings&) = delete;

  // Fills the settings with the default printer's when they are empty; false when there is no
  // default printer.
  bool LoadDefaults();
  // Takes two blocks the print dialog handed back. Blocks that differ from the held ones replace
  // them; the dialog has already freed the ones it replaced.
  void Adopt(HGLOBAL devMode, HGLOBAL devNames);
  void Free();
  bool Empty() const { return devMode_ == nullptr || devNames_ == nullptr; }
  HGLOBAL DevMode() const { return devMode_; }
  HGLOBAL DevNames() const { return devNames_; }
  // Sets the paper orientation (DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE); false without settings.
  bool SetOrientation(short orientation);
  short Orientation() const;
  // A printer DC made from these settings, or null.
  HDC CreatePrinterDc() const;
  std::string DeviceName() const;

 private:
  HGLOBAL devMode_ = nullptr;
  HGLOBAL devNames_ = nullptr;
};

// The state of one print or preview job. Pages are numbered from 1.
class CPrintInfo {
 public:
  CPrintInfo();
  ~CPrintInfo();
  CPrintInfo(const CPrintInfo&) = delete;
  CPrintInfo& operator=(const CPrintInfo&) = delete;

  void SetMaxPage(UINT page) { m_pd.nMaxPage = static_cast<WORD>(page > 0xFFFF ? 0xFFFF : page); }
  void SetMinPage(UINT page) { m_pd.nMinPage = static_cast<WORD>(page); }
  UINT GetMaxPage() const { return m_pd.nMaxPage; }
  UINT GetMinPage() const { return m_pd.nMinPage; }
  // The range to print: the pages chosen in the dialog, else every page.
  UINT GetFromPage() const;
  UINT GetToPage() const;
  bool PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
  // The printer's DC: the target of printing, and where a preview reads the page geometry.
  HDC PrinterDc() const { return m_pd.hDC; }
  // Takes `dc` as the job's printer DC, deleting the one held before.
  void SetPrinterDc(HDC dc);

  PRINTDLGA m_pd{};
  bool m_bPreview = false;
  bool m_bDirect = false;  // print without the dialog, to the application's printer
  bool m_bContinuePrinting = true;
  UINT m_nCurPage = 1;
  RECT m_rectDraw{};  // the page's drawing rectangle in printer pixels
};

// The print dialog over a PRINTDLGA whose device mode and names start as the application's
// printer defaults and go back to them after the dialog.
class CPrintDialog {
 public:
  explicit CPrintDialog(PRINTDLGA& pd) : pd_(pd) {}
  // Runs the dialog; IDOK or IDCANCEL; -1 when the dialog could not run (error in Error()).
  INT_PTR DoModal();
  // The default printer's settings and DC without a dialog; false when there is no printer.
  bool GetDefaults();
  DWORD Error() const { return error_; }

 private:
  PRINTDLGA& pd_;
  DWORD error_ = 0;
};

// The printer defaults of the application (its PrinterSettings). Null when there is no
// application object.
PrinterSettings* AfxPrinterDefaults();

// Text of the box shown when no printer is installed.
inline constexpr char kNoPrinterText[] = "No printer is installed. Install a printer and try again.";
// Text of the box shown when the printer stops a job.
inline constexpr char kPrintFailedText[] = "The document could not be printed.";

// How a print loop ended.
enum class PrintOutcome { NotStarted, Printed, Cancelled, Failed };

// Runs the print loop of `view` for a prepared job: OnBeginPrinting, StartDoc, each page
// (StartPage, OnPrepareDC, OnPrint, EndPage), then EndDoc, or AbortDoc after a cancel or a
// printer error, and OnEndPrinting. A cancel box with the page number stays up meanwhile; its
// Cancel button (or the abort procedure's answer) ends the job after the current page.
PrintOutcome RunPrintLoop(CView& view, CPrintInfo& info);

// The cancel box of the running job, or null.
HWND ActiveCancelBox();
