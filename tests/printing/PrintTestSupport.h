#pragma once
// Helpers of the printing tests: the print dialog answered by clicking its OK button, the PDF
// files the CUPS-PDF queue writes, and their pages read back as pixels through poppler's tools.
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// Clicks OK in the next print dialog this process shows, from a thread of its own, while the
// test's thread runs the dialog. Stops waiting when destroyed.
class PrintDialogAnswer {
 public:
  PrintDialogAnswer();
  ~PrintDialogAnswer();
  PrintDialogAnswer(const PrintDialogAnswer&) = delete;
  PrintDialogAnswer& operator=(const PrintDialogAnswer&) = delete;
  bool Answered() const;
  // The state of the dialog's "Selection" radio button when it was answered.
  bool SelectionChosen() const;

 private:
  static DWORD WINAPI Run(void* self);
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  volatile LONG answered_ = 0;
  volatile LONG selection_ = 0;
};

// The folder CUPS-PDF writes into (from LUMAVEX_PDF_DIR), or "".
std::string PdfFolder();
// Names of the PDF files there now.
std::set<std::string> PdfFiles();
// Deletes the PDF files there that are not in `keep` (the jobs of a test).
void RemoveNewPdfs(const std::set<std::string>& keep);
// Waits for a PDF file that is not in `before` to be complete; its path, or "".
std::string WaitForNewPdf(const std::set<std::string>& before, DWORD timeoutMs = 60000);
// Waits until the spooler holds no job, so that a late PDF of an earlier test never passes for a
// later test's.
void WaitForPrinterIdle(DWORD timeoutMs = 60000);

// Runs a program of the machine (a Unix path) and returns what it wrote, or "" when it did not run.
std::string RunHostTool(const std::string& commandLine);

struct PdfInfo {
  int pages = 0;
  double width = 0;  // points, of the first page as shown (its rotation applied)
  double height = 0;
};
PdfInfo ReadPdfInfo(const std::string& windowsPath);

// One rendered page: RGB rows, top row first.
struct PageImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  COLORREF At(int x, int y) const;
};
// Page `page` of a PDF rendered at `dpi`.
PageImage RenderPdfPage(const std::string& windowsPath, int page, int dpi);

// Whether two colours differ by at most `tolerance` in every channel.
bool Near(COLORREF a, COLORREF b, int tolerance = 24);
