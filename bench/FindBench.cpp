// Find benchmark: a folder of 10,000 files (empty pictures with thumbnail files, so that no
// worker relists the folder) whose annotation store holds 10,000 records, listed by the real list
// view and searched by the real Find dialog. Prints, as median and range of the rounds, the time
// to read the store, and the time from Find Now to the first and to the last row on screen by name
// (every file) and by annotation (every annotation).
// Usage: find_bench.exe [--rounds N] FOLDER [COUNT]   (the folder is filled on the first run)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/ImageBrowserApp.h"
#include "app/MainFrame.h"
#include "app/Resource.h"
#include "bench/BenchSupport.h"
#include "browser/AnnotationFile.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "framework/MessageBox.h"
#include "search/FindDlg.h"
#include "search/FindResource.h"

namespace {

std::string NameOf(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "img%05d.jpg", i);
  return name;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool Fill(const std::string& folder, int count) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string store = AnnotationPathOf(folder);
  if (GetFileAttributesA(store.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::string records;
  for (int i = 0; i < count; ++i) {
    const std::string name = NameOf(i);
    if (!WriteBytes(folder + "\\" + name, std::string(100 + i % 3000, 'j'))) return false;
    if (!WriteBytes(folder + "\\" + name.substr(0, 8) + ".cpg", "")) return false;
    AppendAnnotationRecord(records, name, "Holiday " + std::to_string(i) + ", beach and mountains");
  }
  return WriteBytes(store, records);
}

// The program's own loop: modeless dialogs see their keys first.
void PumpWithDialogKeys() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (AfxGetApp()->PreTranslateMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Milliseconds from Find Now to the first row on screen and to the last: the search has ended and
// the result list has painted its rows.
struct SearchTimes {
  double firstRow = -1;
  double lastRow = -1;
  int rows = 0;
};

SearchTimes TimeSearch(CFindDlg& dialog, const char* name, const char* annotation) {
  SetDlgItemTextA(dialog.m_hWnd, IDC_FIND_NAME, name);
  SetDlgItemTextA(dialog.m_hWnd, IDC_FIND_ANNOTATION, annotation);
  HWND results = GetDlgItem(dialog.m_hWnd, IDC_FIND_RESULTS);
  auto rowCount = [&] { return static_cast<int>(SendMessageA(results, LVM_GETITEMCOUNT, 0, 0)); };
  SearchTimes times;
  const double start = NowMs();
  SendMessageA(GetDlgItem(dialog.m_hWnd, IDC_FIND_NOW), BM_CLICK, 0, 0);
  for (;;) {
    PumpWithDialogKeys();
    const bool painted = !GetUpdateRect(results, nullptr, FALSE);
    if (times.firstRow < 0 && painted && rowCount() > 0) times.firstRow = NowMs() - start;
    if (!dialog.Searching() && painted) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  times.lastRow = NowMs() - start;
  times.rows = rowCount();
  return times;
}

void Report(const char* what, const std::vector<double>& times, int rows) {
  const Range range = RangeOf(times);
  std::printf("%-30s median %8.1f ms  range %8.1f - %8.1f ms  (%d rows)\n", what, Median(times), range.low, range.high,
              rows);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 5;
  const std::vector<std::string> args = ParseRounds(argc, argv, rounds);
  if (args.empty()) {
    std::fprintf(stderr, "usage: find_bench [--rounds N] FOLDER [COUNT]\n");
    return 2;
  }
  const std::string folder = args[0];
  const int count = args.size() > 1 ? std::atoi(args[1].c_str()) : 10000;
  if (!Fill(folder, count)) return 1;

  std::vector<double> reads;
  size_t entries = 0;
  for (int r = 0; r < rounds; ++r) {
    AnnotationMap map;
    const double start = NowMs();
    ReadAnnotationFile(AnnotationPathOf(folder), map);
    reads.push_back(NowMs() - start);
    entries = map.size();
  }
  Report("store read", reads, static_cast<int>(entries));

  MessageBoxRecorder noBoxes;
  CImageBrowserApp app;
  if (!app.InitInstance()) return 1;
  CMyListView* list = app.MainFrame()->ListView();
  list->ToggleDisplayMode();
  list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  PumpWithDialogKeys();
  std::printf("listed %zu files\n", list->Records().size());
  app.MainFrame()->SetActiveView(list);
  app.MainFrame()->SendMessage(WM_COMMAND, ID_VIEW_FIND);
  CFindDlg* dialog = FindDialog();
  if (!dialog) return 1;
  PumpWithDialogKeys();

  std::vector<double> nameFirst;
  std::vector<double> nameLast;
  std::vector<double> annotationFirst;
  std::vector<double> annotationLast;
  SearchTimes byName;
  SearchTimes byAnnotation;
  for (int r = 0; r < rounds; ++r) {
    byName = TimeSearch(*dialog, "jpg", "");
    nameFirst.push_back(byName.firstRow);
    nameLast.push_back(byName.lastRow);
    byAnnotation = TimeSearch(*dialog, "", "beach");
    annotationFirst.push_back(byAnnotation.firstRow);
    annotationLast.push_back(byAnnotation.lastRow);
  }
  Report("find by name, first row", nameFirst, byName.rows);
  Report("find by name, last row", nameLast, byName.rows);
  Report("find by annotation, first row", annotationFirst, byAnnotation.rows);
  Report("find by annotation, last row", annotationLast, byAnnotation.rows);
  app.MainFrame()->DestroyWindow();
  PumpWithDialogKeys();
  return 0;
}
