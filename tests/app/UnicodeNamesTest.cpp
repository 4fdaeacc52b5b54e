// Photos named in other scripts, through every path of the program: the manifest's UTF-8 code page
// makes the A functions take and give these names.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/AnnotationResource.h"
#include "browser/BrowserState.h"
#include "browser/MyListView.h"
#include "image/JpegFile.h"
#include "navigation/Favorites.h"
#include "navigation/ProfileMruList.h"
#include "search/FindDlg.h"
#include "search/FindResource.h"
#include "tests/app/AppFixture.h"
#include "tests/search/DialogDriver.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"

namespace {

std::string Utf8(const std::wstring& wide) {
  std::string text(wide.size() * 3 + 1, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                                         static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

// The names of the folder: Japanese, Cyrillic, a symbol, a Latin letter beyond ASCII, and the
// longest Japanese name a Linux file system holds (255 bytes a name: Wine cuts longer ones), which
// in the Japanese-named folder makes a path of more than MAX_PATH bytes.
std::vector<std::wstring> WideNames() {
  std::wstring longName;
  for (int i = 0; i < 41; ++i) longName += L"\u5199\u771F";  // 写真
  return {L"\u6771\u4EAC\u30BF\u30EF\u30FC.jpg", L"\u0424\u043E\u0442\u043E 2001.jpg", L"Snow \u2603 day.jpg",
          L"Caf\u00E9.jpg", longName + L".jpg"};
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[512] = L"";
  GetWindowTextW(window, text, 512);
  return text;
}

// Item texts of a list control read back as UTF-16.
std::vector<std::wstring> ItemTexts(HWND list, int column = 0) {
  std::vector<std::wstring> texts;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

class UnicodeNames : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the test program's manifest sets the code page";
    ASSERT_TRUE(app_.InitInstance());
    Browser().appFolder = appFolder_.Path();
    app_.DeleteProfileSection("RecentFolders");
    ASSERT_GT(pictures_.size() + 250, size_t{MAX_PATH}) << "a path longer than MAX_PATH bytes";
    ASSERT_TRUE(MakeFolders(pictures_));
    for (const std::wstring& name : WideNames()) {
      names_.push_back(Utf8(name));
      // A grey of its own for each, so that a picture is known by its pixels.
      std::vector<uint8_t> rgb(40 * 30 * 3, static_cast<uint8_t>(40 + 40 * names_.size()));
      ASSERT_TRUE(WriteJpegRgb((pictures_ + "\\" + names_.back()).c_str(), rgb.data(), 40, 30, 90));
    }
    PumpMessages();
  }
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(Viewers().windows.begin(), Viewers().windows.end()))
      viewer->SendMessage(WM_CLOSE);
    PumpMessages();
    AppTest::TearDown();
  }
  CMyListView* List() { return Frame()->ListView(); }
  // Shows the folder and waits until the photos' thumbnail files are there.
  void ShowPictures() {
    Frame()->ShowFolder(pictures_);
    ASSERT_TRUE(PumpUntil(
        [&] {
          for (const std::wstring& name : WideNames()) {
            const std::wstring thumb = name.substr(0, name.find(L'.')) + L".cpg";
            if (GetFileAttributesW((Wide(pictures_) + L"\\" + thumb).c_str()) == INVALID_FILE_ATTRIBUTES) return false;
          }
          return true;
        },
        20000));
    PumpMessages(300);
    Frame()->SetActiveView(List());
  }
  static std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                                        wide.data(), static_cast<int>(wide.size()))));
    return wide;
  }
  int IndexOf(const std::string& name) {
    const auto& records = List()->Records();
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].fileName == name) return static_cast<int>(i);
    return -1;
  }
  void SelectOnly(const std::vector<std::string>& names) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    List()->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (const std::string& name : names) {
      LVITEMA item{};
      item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
      List()->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(IndexOf(name)), reinterpret_cast<LPARAM>(&item));
    }
  }
  // Finds by name and annotation in the Find dialog; the names of the results as UTF-16.
  std::vector<std::wstring> FindNames(const std::string& name, const std::string& annotation) {
    if (!FindDialog()) Command(ID_VIEW_FIND);
    PumpMessages();
    CFindDlg* find = FindDialog();
    if (!find) return {};
    SetDlgItemTextA(find->m_hWnd, IDC_FIND_NAME, name.c_str());
    SetDlgItemTextA(find->m_hWnd, IDC_FIND_ANNOTATION, annotation.c_str());
    ClickButton(find->m_hWnd, IDC_FIND_NOW);
    EXPECT_TRUE(PumpUntil([] { return !FindDialog()->Searching(); }, 20000));
    PumpMessages();
    return ItemTexts(GetDlgItem(find->m_hWnd, IDC_FIND_RESULTS));
  }
  CViewerFrame* LastViewer() {
    return Viewers().windows.empty() ? nullptr : static_cast<CViewerFrame*>(Viewers().windows.back());
  }

  TempDir appFolder_;
  TempDir base_;
  const std::string pictures_ = base_ / Utf8(L"\u6771\u4EAC\u306E\u5199\u771F");  // 東京の写真
  std::vector<std::string> names_;
};

TEST_F(UnicodeNames, EveryPhotoListsUnderItsTrueNameGetsItsThumbnailOpensAndIsFound) {
  ShowPictures();
  ASSERT_EQ(List()->ItemCount(), 5);
  EXPECT_EQ(Sorted(ItemTexts(List()->m_hWnd)), Sorted(WideNames()));

  for (size_t i = 0; i < names_.size(); ++i) {
    SelectOnly({names_[i]});
    Command(ID_FILE_OPEN);
    PumpMessages();
    CViewerFrame* viewer = LastViewer();
    ASSERT_NE(viewer, nullptr) << names_[i];
    EXPECT_EQ(viewer->PicturePath(), pictures_ + "\\" + names_[i]);
    ASSERT_NE(viewer->View()->Picture(), nullptr) << names_[i];
    EXPECT_EQ(viewer->View()->Picture()->width, 40u);
    EXPECT_EQ(WindowTextW(viewer->m_hWnd), WideNames()[i]);
  }
  EXPECT_EQ(Viewers().windows.size(), 5u);

  // By name, letters beyond ASCII ignoring case as file names do.
  const std::vector<std::wstring> wide = WideNames();
  EXPECT_EQ(FindNames(Utf8(L"\u6771\u4EAC"), ""), std::vector<std::wstring>{wide[0]});
  EXPECT_EQ(FindNames(Utf8(L"\u0444\u043E\u0442\u043E"), ""), std::vector<std::wstring>{wide[1]});  // фото
  EXPECT_EQ(FindNames(Utf8(L"\u2603"), ""), std::vector<std::wstring>{wide[2]});
  EXPECT_EQ(FindNames(Utf8(L"CAF\u00C9"), ""), std::vector<std::wstring>{wide[3]});
  EXPECT_EQ(FindNames(Utf8(L"\u771F\u5199\u771F.jpg"), ""), std::vector<std::wstring>{wide[4]});
  EXPECT_EQ(FindNames("", "").size(), 5u);
}

TEST_F(UnicodeNames, EveryPhotoIsAnnotatedAndBecomesAFavouriteThatOpensAndOldRecordsStillShow) {
  // A record an earlier version wrote in the legacy code page of the user's locale.
  char page[8] = "";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, page, sizeof page);
  char legacyName[32] = "";
  const int legacyLength = WideCharToMultiByte(static_cast<UINT>(atoi(page)), 0, L"Caf\u00E9.jpg", -1, legacyName,
                                               sizeof legacyName, nullptr, nullptr);
  ASSERT_GT(legacyLength, 1);
  ASSERT_NE(std::string(legacyName), names_[3]);
  std::string old;
  old.push_back(static_cast<char>(legacyLength - 1));
  old.push_back('\0');
  old += legacyName;
  old += std::string("\x08\x00", 2) + "Old note";
  ASSERT_TRUE(WriteTestFile(pictures_ + "\\Annotations", old));
  ShowPictures();
  // The folder is the first recent folder, stored in the registry under its true name.
  wchar_t recent[MAX_PATH] = L"";
  DWORD bytes = sizeof recent;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (Wide(kProgramKey) + L"\\RecentFolders").c_str(), L"RecentFolder1",
                         RRF_RT_REG_SZ, nullptr, recent, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(recent), Wide(pictures_));

  std::string store = old;
  for (size_t i = 0; i < names_.size(); ++i) {
    SelectOnly({names_[i]});
    std::string shown = "<no dialog>";
    DialogDriver driver([&](HWND dialog) {
      shown = ControlText(dialog, IDC_ANNOTATION_TEXT);
      SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, ("note " + std::to_string(i)).c_str());
      ClickButton(dialog, IDOK);
    });
    Command(ID_VIEW_ANNOTATE);
    ASSERT_TRUE(driver.Ran());
    EXPECT_EQ(shown, i == 3 ? "Old note" : "") << names_[i];
    const std::string text = "note " + std::to_string(i);
    store += std::string(1, static_cast<char>(names_[i].size() & 0xFF)) +
             std::string(1, static_cast<char>(names_[i].size() >> 8)) + names_[i] +
             std::string(1, static_cast<char>(text.size())) + std::string(1, '\0') + text;
  }
  // The store holds the UTF-8 names, the old record as it was.
  EXPECT_EQ(ReadTestFile(pictures_ + "\\Annotations"), store);
  EXPECT_EQ(Sorted(FindNames("", "note")), Sorted(WideNames()));
  ASSERT_TRUE(FindDialog());
  FindDialog()->DestroyWindow();
  PumpMessages();

  // Favourites: the profile list holds the names, each opens its photo from the menu.
  std::vector<std::string> all = names_;
  SelectOnly(all);
  Command(ID_FAVORITES_ADD);
  CProfileMruList favorites = FavoriteList();
  favorites.ReadList();
  std::vector<std::string> stored;
  for (const std::string& name : favorites.Names())
    if (!name.empty()) stored.push_back(name);
  std::vector<std::string> expected = names_;
  std::sort(expected.begin(), expected.end());
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, expected);
  std::vector<std::string> opened;
  for (int i = 0; i < static_cast<int>(stored.size()); ++i) {
    const size_t before = Viewers().windows.size();
    Command(static_cast<UINT>(ID_FAVORITE_FIRST + i));
    PumpMessages();
    ASSERT_EQ(Viewers().windows.size(), before + 1) << i;
    const std::string path = LastViewer()->PicturePath();
    EXPECT_NE(LastViewer()->View()->Picture(), nullptr) << path;
    EXPECT_EQ(path.substr(0, path.rfind('\\')), pictures_);
    opened.push_back(path.substr(path.rfind('\\') + 1));
  }
  std::sort(opened.begin(), opened.end());
  EXPECT_EQ(opened, expected);
}

}  // namespace
