// Shows the Find dialog with results, then the annotation dialog, then the File menu, each for a
// few seconds, so that a screenshot can be taken of each (tests/search/find-screens.sh). Not a
// test.
// Usage: find_screens.exe FOLDER SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ImageBrowserApp.h"
#include "app/MainFrame.h"
#include "app/Resource.h"
#include "browser/AnnotationFile.h"
#include "browser/AnnotationResource.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "search/FindDlg.h"
#include "search/FindResource.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/MessagePump.h"

namespace {

DWORD g_seconds = 8;

void CALLBACK FillAnnotation(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  HWND dialog = FindWindowA("#32770", "Annotation");
  if (!dialog) return;
  SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, "Beach, 2001\r\nThe whole family on the sand");
  std::printf("annotation shown\n");
  std::fflush(stdout);
  DWORD start = GetTickCount();
  while (GetTickCount() - start < g_seconds * 1000) PumpMessages(50);
  SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

void CALLBACK MenuShown(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::printf("menu shown\n");
  std::fflush(stdout);
  SetTimer(nullptr, 0, g_seconds * 1000, &CloseMenu);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string folder = argv[1];
  g_seconds = static_cast<DWORD>(std::atoi(argv[2]));
  CreateDirectoryA(folder.c_str(), nullptr);
  const char* names[] = {"beach.jpg",  "Caf\xC3\xA9.jpg",
                         "hills.jpg",  "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE 2001.jpg",
                         "sunset.jpg", "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x82\xBF\xE3\x83\xAF\xE3\x83\xBC.jpg"};
  for (int i = 0; i < 6; ++i) WriteTestJpeg(folder + "\\" + names[i], 320 + 40 * i, 240);
  DeleteFileA(AnnotationPathOf(folder).c_str());
  AppendAnnotations(AnnotationPathOf(folder), {"beach.jpg"}, "Beach, 2001");
  AppendAnnotations(AnnotationPathOf(folder), {"sunset.jpg"}, "Sunset over the beach");
  AppendAnnotations(AnnotationPathOf(folder), {"old.jpg"}, "A beach picture that was renamed");
  AppendAnnotations(AnnotationPathOf(folder), {"hills.jpg"}, "Walk in the hills");

  CImageBrowserApp app;
  if (!app.InitInstance()) return 1;
  CMainFrame* frame = app.MainFrame();
  CMyListView* list = frame->ListView();
  list->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  PumpMessages(3000);
  frame->SetActiveView(list);
  frame->SendMessage(WM_COMMAND, ID_VIEW_FIND);
  CFindDlg* dialog = FindDialog();
  if (!dialog) return 1;
  SetDlgItemTextA(dialog->m_hWnd, IDC_FIND_ANNOTATION, "beach");
  SendMessageA(GetDlgItem(dialog->m_hWnd, IDC_FIND_NOW), BM_CLICK, 0, 0);
  PumpUntil([dialog] { return !dialog->Searching(); });
  std::printf("find shown\n");
  std::fflush(stdout);
  PumpMessages(g_seconds * 1000);
  dialog->ShowWindow(SW_HIDE);
  LVITEMA item{};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  list->SendMessage(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  SetTimer(nullptr, 0, 500, &FillAnnotation);
  frame->SendMessage(WM_COMMAND, ID_VIEW_ANNOTATE);
  // The File menu, drawn by the menu manager with the toolbar's pictures.
  RECT frameRect{};
  GetWindowRect(frame->m_hWnd, &frameRect);
  SetTimer(nullptr, 0, 1000, &MenuShown);
  TrackPopupMenu(GetSubMenu(GetMenu(frame->m_hWnd), 0), TPM_LEFTALIGN, frameRect.left + 8, frameRect.top + 48, 0,
                 frame->m_hWnd, nullptr);
  frame->DestroyWindow();
  PumpMessages();
  return 0;
}
