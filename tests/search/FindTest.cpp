#include <string>
#include <vector>

#include "app/Resource.h"
#include "search/FindDlg.h"
#include "search/FindResource.h"
#include "search/SearchWorker.h"
#include "tests/search/DialogDriver.h"
#include "tests/search/FolderFixture.h"
#include "viewer/MyScrollView.h"

namespace {

using Row = std::vector<std::string>;

class Find : public FolderTest {
 protected:
  CFindDlg* OpenFind() {
    Command(ID_VIEW_FIND);
    PumpMessages();
    return FindDialog();
  }
  HWND Control(int id) const { return GetDlgItem(FindDialog()->m_hWnd, id); }
  void Type(const std::string& name, const std::string& annotation) {
    SetDlgItemTextA(FindDialog()->m_hWnd, IDC_FIND_NAME, name.c_str());
    SetDlgItemTextA(FindDialog()->m_hWnd, IDC_FIND_ANNOTATION, annotation.c_str());
  }
  void WaitForSearch() {
    ASSERT_TRUE(PumpUntil([] { return !FindDialog()->Searching(); }, 20000));
    PumpMessages();
  }
  std::vector<Row> Search(const std::string& name, const std::string& annotation) {
    Type(name, annotation);
    ClickButton(FindDialog()->m_hWnd, IDC_FIND_NOW);
    WaitForSearch();
    return Rows();
  }
  int RowCount() const { return static_cast<int>(SendMessageA(Control(IDC_FIND_RESULTS), LVM_GETITEMCOUNT, 0, 0)); }
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (int r = 0; r < RowCount(); ++r) {
      Row row;
      for (int c = 0; c < 5; ++c) {
        char text[300] = "";
        LVITEMA item{};
        item.iSubItem = c;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(Control(IDC_FIND_RESULTS), LVM_GETITEMTEXTA, static_cast<WPARAM>(r),
                     reinterpret_cast<LPARAM>(&item));
        row.push_back(text);
      }
      rows.push_back(row);
    }
    return rows;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Row& row : Rows()) names.push_back(row[0]);
    return names;
  }
  // A double click with the mouse on row `r` of the results.
  void DoubleClickRow(int r) {
    HWND results = Control(IDC_FIND_RESULTS);
    RECT rc{LVIR_LABEL, 0, 0, 0};
    SendMessageA(results, LVM_GETITEMRECT, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&rc));
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageA(results, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(results, WM_LBUTTONUP, 0, at);
    SendMessageA(results, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(results, WM_LBUTTONUP, 0, at);
    PumpMessages();
  }
  void WriteStore(const std::string& bytes) { ASSERT_TRUE(WriteTestFile(dir_ / "Annotations", bytes)); }
};

TEST_F(Find, TheDialogOpensCollapsedWithItsControlsAndColumns) {
  AddFile("a.jpg");
  List();
  CFindDlg* dialog = OpenFind();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog->m_hWnd));
  EXPECT_EQ(dialog->GetWindowText(), "Find Files and Annotation");
  EXPECT_EQ(dialog->GetMode(), CFindDlg::kCollapsed);
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_FIND_NOW)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_FIND_STOP)));
  EXPECT_EQ(ControlText(dialog->m_hWnd, IDC_FIND_NOW), "&Find Now");
  EXPECT_EQ(ControlText(dialog->m_hWnd, IDCANCEL), "&Close");
  EXPECT_NE(dialog->SendMessage(WM_GETICON, ICON_SMALL), 0);
  HWND header = reinterpret_cast<HWND>(SendMessageA(Control(IDC_FIND_RESULTS), LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 5);
  const char* titles[] = {"FileName", "Size", "Type", "Modified", "Annotation"};
  const int widths[] = {100, 80, 80, 135, 400};
  for (int c = 0; c < 5; ++c) {
    char text[40] = "";
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    SendMessageA(Control(IDC_FIND_RESULTS), LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(text, titles[c]);
    EXPECT_EQ(column.cx, widths[c]);
  }
  const LRESULT extended = SendMessageA(Control(IDC_FIND_RESULTS), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP), LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
  // The result list lies below the collapsed window's bottom edge.
  RECT window{};
  RECT results{};
  GetWindowRect(dialog->m_hWnd, &window);
  GetWindowRect(Control(IDC_FIND_RESULTS), &results);
  EXPECT_LE(window.bottom, results.top);
  // A second Find command shows the same dialog.
  EXPECT_EQ(OpenFind(), dialog);
}

TEST_F(Find, ByNameMatchesPartsIgnoringCaseAndNotWildcards) {
  for (const char* name : {"a.jpg", "B.JPG", "beach.jpg"}) AddFile(name);
  List();
  OpenFind();
  EXPECT_EQ(Search("jpg", "").size(), 3u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "B.JPG", "beach.jpg"}));
  EXPECT_EQ(Search("B.J", "").size(), 1u);
  EXPECT_EQ(Names(), std::vector<std::string>{"B.JPG"});
  EXPECT_EQ(Search("*.jpg", "").size(), 0u);
  EXPECT_EQ(FindDialog()->GetMode(), CFindDlg::kExpanded);
}

TEST_F(Find, EmptyTextsListEveryFileWithItsColumns) {
  AddFile("a.jpg", 1025);
  AddFile("b.jpg", 0);
  AddFile("c.jpg", 1024);
  List();
  WriteStore(StoreRecord("b.jpg", "Beach, 2001"));
  OpenFind();
  const std::vector<Row> rows = Search("", "");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (Row{"a.jpg", "2 KB", "JPEG Image", ModifiedColumnText(list_->Records()[0].modified), ""}));
  EXPECT_EQ(rows[1][1], "0 KB");
  EXPECT_EQ(rows[1][4], "Beach, 2001");
  EXPECT_EQ(rows[2][1], "1 KB");
  EXPECT_FALSE(rows[2][3].empty());
}

TEST_F(Find, ByAnnotationListsTheMatchingAnnotationsEvenOfFilesNoLongerThere) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(name);
  List();
  WriteStore(StoreRecord("a.jpg", "Beach, 2001") + StoreRecord("c.jpg", "") + StoreRecord("gone.jpg", "beach too") +
             StoreRecord("b.jpg", "mountains") + StoreRecord("A.JPG", "other beach"));
  OpenFind();
  const std::vector<Row> rows = Search("", "BEACH");
  ASSERT_EQ(rows.size(), 3u);
  // The map's order; A.JPG pairs with the record a.jpg, as the wildcard match ignores case.
  EXPECT_EQ(rows[0], (Row{"A.JPG", "1 KB", "JPEG Image", rows[0][3], "other beach"}));
  EXPECT_EQ(rows[1], (Row{"a.jpg", "1 KB", "JPEG Image", rows[1][3], "Beach, 2001"}));
  EXPECT_EQ(rows[2], (Row{"gone.jpg", "", "", "", "beach too"}));
  EXPECT_EQ(Search("a.", "beach").size(), 2u);
  EXPECT_EQ(Search("", "mount").size(), 1u);
  EXPECT_EQ(Search("", "nothing").size(), 0u);
}

TEST_F(Find, AListingEmptiesTheAnnotationsAlsoForAFolderWithoutPictures) {
  AddFile("a.jpg");
  List();
  WriteStore(StoreRecord("a.jpg", "Beach"));
  OpenFind();
  ASSERT_EQ(FindDialog()->Annotations().size(), 1u);
  TempDir empty;
  list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(empty.Path().c_str()));
  EXPECT_TRUE(FindDialog()->Annotations().empty());
  EXPECT_TRUE(list_->Annotations().empty());
  EXPECT_EQ(Search("", "Beach").size(), 0u);
}

HWND g_stopDialog = nullptr;
int g_batches = 0;
int g_rowsAtStop = -1;

LRESULT CALLBACK StopAtTheSecondBatch(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->hwnd == g_stopDialog && call->message == kWmSearchRows && ++g_batches == 2) {
    HWND results = GetDlgItem(g_stopDialog, IDC_FIND_RESULTS);
    g_rowsAtStop = static_cast<int>(SendMessageA(results, LVM_GETITEMCOUNT, 0, 0));
    ClickButton(g_stopDialog, IDC_FIND_STOP);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Find, StopKeepsTheRowsFoundSoFar) {
  // Several batches of rows, so that Stop comes while rows are still on their way.
  const int files = 6 * static_cast<int>(kSearchBatchRows);
  for (int i = 0; i < files; ++i) AddFile("p" + std::to_string(10000 + i) + ".jpg");
  List();
  OpenFind();
  Type("", "");
  // Stop is clicked as the second batch of rows comes in, before the dialog takes it: a whole
  // pump of messages could otherwise take every batch before a test's click.
  g_stopDialog = FindDialog()->m_hWnd;
  g_batches = 0;
  g_rowsAtStop = -1;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &StopAtTheSecondBatch, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  ClickButton(FindDialog()->m_hWnd, IDC_FIND_NOW);
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_FIND_NOW)));
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_FIND_STOP)));
  WaitForSearch();
  UnhookWindowsHookEx(hook);
  const int atStop = g_rowsAtStop;
  EXPECT_GT(atStop, 0);
  EXPECT_EQ(RowCount(), atStop);
  EXPECT_LT(atStop, files);
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_FIND_NOW)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_FIND_STOP)));
  // The next search starts over.
  EXPECT_EQ(Search("p10299", "").size(), 1u);
}

TEST_F(Find, FindNowIsRefusedWhileASearchRuns) {
  for (const char* name : {"a.jpg", "b.jpg"}) AddFile(name);
  List();
  OpenFind();
  ClickButton(FindDialog()->m_hWnd, IDC_FIND_NOW);
  // A command that still arrives (from a key, say) while the first worker waits for the dialog.
  FindDialog()->SendMessage(WM_COMMAND, IDC_FIND_NOW, reinterpret_cast<LPARAM>(Control(IDC_FIND_NOW)));
  EXPECT_EQ(AfxRunningWorkerCount(), 1);
  WaitForSearch();
  EXPECT_EQ(RowCount(), 2);
}

TEST_F(Find, CloseDuringASearchStopsItAndHidesTheDialogCollapsed) {
  for (int i = 0; i < 50; ++i) AddFile("p" + std::to_string(i) + ".jpg");
  List();
  OpenFind();
  EXPECT_EQ(Search("p1", "").size(), 11u);
  Type("p", "");
  ClickButton(FindDialog()->m_hWnd, IDC_FIND_NOW);
  ClickButton(FindDialog()->m_hWnd, IDCANCEL);
  EXPECT_FALSE(IsWindowVisible(FindDialog()->m_hWnd));
  EXPECT_EQ(FindDialog()->GetMode(), CFindDlg::kCollapsed);
  WaitForSearch();
  EXPECT_EQ(RowCount(), 0);  // the worker emptied the list, then found it stopped
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_FIND_NOW)));
  // Shown again with the texts as they were.
  OpenFind();
  EXPECT_TRUE(IsWindowVisible(FindDialog()->m_hWnd));
  EXPECT_EQ(ControlText(FindDialog()->m_hWnd, IDC_FIND_NAME), "p");
}

TEST_F(Find, ClosingTheMainWindowDuringASearchEndsItQuietly) {
  for (int i = 0; i < 50; ++i) AddFile("p" + std::to_string(i) + ".jpg");
  List();
  OpenFind();
  ClickButton(FindDialog()->m_hWnd, IDC_FIND_NOW);
  ASSERT_EQ(AfxRunningWorkerCount(), 1);
  CloseFrame();
  EXPECT_EQ(FindDialog(), nullptr);
  EXPECT_TRUE(PumpUntil([] { return AfxRunningWorkerCount() == 0; }, 5000));
}

TEST_F(Find, ADoubleClickSelectsTheFileInTheListAndPreviewsIt) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(name);
  List();
  Select({"a.jpg", "c.jpg"});
  OpenFind();
  ASSERT_EQ(Search("b", "").size(), 1u);
  DoubleClickRow(0);
  EXPECT_EQ(list_->CurrentItem(), 1);
  EXPECT_EQ(list_->SelectedCount(), 1);
  EXPECT_EQ(list_->FocusedItem(), 1);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "b.jpg");
  EXPECT_EQ(GetFocus(), list_->m_hWnd);
}

TEST_F(Find, ADoubleClickOnAFileThatHasGoneDoesNothing) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(name);
  List();
  WriteStore(StoreRecord("gone.jpg", "x") + StoreRecord("c.jpg", "x"));
  OpenFind();
  ASSERT_EQ(Search("", "").size(), 3u);
  ASSERT_TRUE(DeleteFileA((dir_ / "b.jpg").c_str()));
  List();
  ASSERT_EQ(list_->Records().size(), 2u);
  DoubleClickRow(1);  // b.jpg: no longer listed
  EXPECT_EQ(list_->CurrentItem(), -1);
  EXPECT_EQ(list_->SelectedCount(), 0);
  DoubleClickRow(2);  // c.jpg: now item 1, found by its name
  EXPECT_EQ(list_->CurrentItem(), 1);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "c.jpg");

  // An annotation of a file that is not in the folder has no file to show.
  OpenFind();
  ASSERT_EQ(Search("gone", "x").size(), 1u);
  list_->SetCurrentItem(-1);
  DoubleClickRow(0);
  EXPECT_EQ(list_->CurrentItem(), -1);
}

TEST_F(Find, EnterSearchesAndEscapeHides) {
  for (const char* name : {"a.jpg", "b.jpg"}) AddFile(name);
  List();
  OpenFind();
  HWND edit = Control(IDC_FIND_NAME);
  SetFocus(edit);
  SetWindowTextA(edit, "b.");
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
  PumpMessages();
  WaitForSearch();
  EXPECT_EQ(Names(), std::vector<std::string>{"b.jpg"});
  // Tab moves on to the next control.
  SetFocus(edit);
  PostMessageA(edit, WM_KEYDOWN, VK_TAB, 1);
  PumpMessages();
  EXPECT_NE(GetFocus(), edit);
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  PumpMessages();
  EXPECT_FALSE(IsWindowVisible(FindDialog()->m_hWnd));
}

TEST_F(Find, TheCollapsedDialogCannotGrowTallerAndTheExpandedOneNotSmaller) {
  AddFile("a.jpg");
  List();
  CFindDlg* dialog = OpenFind();
  RECT collapsed{};
  GetWindowRect(dialog->m_hWnd, &collapsed);
  SetWindowPos(dialog->m_hWnd, nullptr, 0, 0, 1100, 900, SWP_NOMOVE | SWP_NOZORDER);
  RECT wide{};
  GetWindowRect(dialog->m_hWnd, &wide);
  EXPECT_EQ(wide.bottom - wide.top, collapsed.bottom - collapsed.top);
  EXPECT_EQ(wide.right - wide.left, 1100);

  dialog->SetMode(CFindDlg::kExpanded);
  RECT expanded{};
  GetWindowRect(dialog->m_hWnd, &expanded);
  EXPECT_GT(expanded.bottom - expanded.top, collapsed.bottom - collapsed.top);
  // The expanded minimum: the template's size.
  EXPECT_EQ(expanded.right - expanded.left, collapsed.right - collapsed.left);
  RECT closeBefore{};
  RECT listBefore{};
  GetWindowRect(Control(IDCANCEL), &closeBefore);
  GetWindowRect(Control(IDC_FIND_RESULTS), &listBefore);
  SetWindowPos(dialog->m_hWnd, nullptr, 0, 0, expanded.right - expanded.left + 100, expanded.bottom - expanded.top + 50,
               SWP_NOMOVE | SWP_NOZORDER);
  RECT closeAfter{};
  RECT listAfter{};
  RECT findAfter{};
  GetWindowRect(Control(IDCANCEL), &closeAfter);
  GetWindowRect(Control(IDC_FIND_RESULTS), &listAfter);
  GetWindowRect(Control(IDC_FIND_NOW), &findAfter);
  EXPECT_EQ(closeAfter.left, closeBefore.left + 100);
  EXPECT_EQ(findAfter.left, closeAfter.left);
  EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + 100);
  EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 50);
  SetWindowPos(dialog->m_hWnd, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT small{};
  GetWindowRect(dialog->m_hWnd, &small);
  EXPECT_EQ(small.bottom - small.top, expanded.bottom - expanded.top);
}

}  // namespace
