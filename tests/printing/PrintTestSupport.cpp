#include "tests/printing/PrintTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

std::string UnixPath(const std::string& windowsPath) {
  // Drive Z: is the Unix root.
  std::string path = windowsPath;
  if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path = path.substr(2);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string TempFileName(const std::string& folder, const char* prefix) {
  char name[MAX_PATH] = "";
  GetTempFileNameA(folder.c_str(), prefix, 0, name);
  return name;
}

BOOL CALLBACK FindPrintDialog(HWND hwnd, LPARAM found) {
  char cls[32] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDOK)) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

PrintDialogAnswer::PrintDialogAnswer() { thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr); }

PrintDialogAnswer::~PrintDialogAnswer() {
  InterlockedExchange(&stop_, 1);
  if (thread_) {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }
}

bool PrintDialogAnswer::Answered() const { return answered_ != 0; }
bool PrintDialogAnswer::SelectionChosen() const { return selection_ != 0; }

DWORD WINAPI PrintDialogAnswer::Run(void* self) {
  auto* answer = static_cast<PrintDialogAnswer*>(self);
  for (int i = 0; i < 3000 && !answer->stop_; ++i) {
    HWND dialog = nullptr;
    EnumWindows(FindPrintDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog) {
      Sleep(200);  // let the dialog finish its initialisation
      // rad2 (0x421) is the dialog's "Selection" button.
      InterlockedExchange(&answer->selection_, IsDlgButtonChecked(dialog, 0x421) == BST_CHECKED ? 1 : 0);
      PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      InterlockedExchange(&answer->answered_, 1);
      return 0;
    }
    Sleep(20);
  }
  return 0;
}

std::string PdfFolder() {
  const char* folder = getenv("LUMAVEX_PDF_DIR");
  return folder ? folder : "";
}

std::set<std::string> PdfFiles() {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((PdfFolder() + "\\*.pdf").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.insert(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void RemoveNewPdfs(const std::set<std::string>& keep) {
  for (const std::string& name : PdfFiles())
    if (!keep.count(name)) DeleteFileA((PdfFolder() + "\\" + name).c_str());
}

namespace {
bool PdfComplete(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char tail[64] = "";
  DWORD got = 0;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  if (size.QuadPart > 64) {
    LARGE_INTEGER at;
    at.QuadPart = size.QuadPart - 63;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    ReadFile(file, tail, 63, &got, nullptr);
  }
  CloseHandle(file);
  return strstr(tail, "%%EOF") != nullptr;
}
}  // namespace

std::string WaitForNewPdf(const std::set<std::string>& before, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    for (const std::string& name : PdfFiles()) {
      if (before.count(name)) continue;
      std::string path = PdfFolder() + "\\" + name;
      if (PdfComplete(path)) {
        Sleep(300);  // the writer may still close the file
        return path;
      }
    }
    Sleep(200);
  }
  return "";
}

void WaitForPrinterIdle(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    // wc always prints, so an empty queue is told apart from a failed command.
    std::string jobs = RunHostTool("lpstat -o | wc -l");
    if (!jobs.empty() && std::atoi(jobs.c_str()) == 0) return;
    Sleep(300);
  }
}

std::string RunHostTool(const std::string& commandLine) {
  // Wine starts Unix programs by their Unix path and gives back no process to wait for: the
  // output goes to a file that gets its final name only when the program has ended. The file
  // lies in the PDF folder, whose Unix path is known.
  std::string out = TempFileName(PdfFolder(), "out");
  const std::string part = out + ".part";
  std::string line = "/bin/sh -c \"" + commandLine + " > '" + UnixPath(part) + "' 2>/dev/null; mv -f '" +
                     UnixPath(part) + "' '" + UnixPath(out) + "'\"";
  DeleteFileA(out.c_str());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return "";
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  std::string text;
  for (DWORD waited = 0; waited < 60000; waited += 50) {
    if (FILE* f = fopen(out.c_str(), "rb")) {
      char chunk[65536];
      size_t n;
      while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
      fclose(f);
      break;
    }
    Sleep(50);
  }
  DeleteFileA(out.c_str());
  DeleteFileA(part.c_str());
  return text;
}

PdfInfo ReadPdfInfo(const std::string& windowsPath) {
  PdfInfo info;
  std::string text = RunHostTool("pdfinfo '" + UnixPath(windowsPath) + "'");
  if (const char* pages = strstr(text.c_str(), "Pages:")) info.pages = atoi(pages + 6);
  if (const char* size = strstr(text.c_str(), "Page size:")) sscanf(size + 10, "%lf x %lf", &info.width, &info.height);
  // A landscape page may be a portrait sheet turned by a quarter: as it is shown and printed.
  int rotation = 0;
  if (const char* rot = strstr(text.c_str(), "Page rot:")) rotation = atoi(rot + 9);
  if (rotation % 180 != 0) std::swap(info.width, info.height);
  return info;
}

PageImage RenderPdfPage(const std::string& windowsPath, int page, int dpi) {
  PageImage image;
  char options[96];
  snprintf(options, sizeof options, "pdftoppm -r %d -f %d -l %d ", dpi, page, page);
  std::string ppm = RunHostTool(std::string(options) + "'" + UnixPath(windowsPath) + "'");
  // P6 <width> <height> <max>\n<rgb>
  int width = 0, height = 0, max = 0, consumed = 0;
  if (sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &max, &consumed) != 3 || max != 255) return image;
  size_t at = static_cast<size_t>(consumed) + 1;
  size_t bytes = static_cast<size_t>(width) * height * 3;
  if (ppm.size() < at + bytes) return image;
  image.width = width;
  image.height = height;
  image.rgb.assign(ppm.begin() + static_cast<std::ptrdiff_t>(at),
                   ppm.begin() + static_cast<std::ptrdiff_t>(at + bytes));
  return image;
}

COLORREF PageImage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return RGB(p[0], p[1], p[2]);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  if (a == CLR_INVALID || b == CLR_INVALID) return false;
  return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}
