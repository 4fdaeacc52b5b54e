#include <string>

#include "app/Resource.h"
#include "browser/AnnotationResource.h"
#include "browser/BrowserState.h"
#include "framework/YieldPoint.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/search/DialogDriver.h"
#include "tests/search/FolderFixture.h"

namespace {

class Annotate : public FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(name);
    List();
  }
  // Runs the Annotate command; the dialog shows up with some text, gets `typed` and is ended
  // with `button`. Returns the text the dialog opened with.
  std::string AnnotateWith(const std::string& typed, int button = IDOK) {
    std::string shown = "<no dialog>";
    DialogDriver driver([&](HWND dialog) {
      shown = ControlText(dialog, IDC_ANNOTATION_TEXT);
      SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, typed.c_str());
      ClickButton(dialog, button);
    });
    Command(ID_VIEW_ANNOTATE);
    EXPECT_TRUE(driver.Ran());
    return shown;
  }
};

TEST_F(Annotate, TheFirstAnnotationCreatesTheWorkedStore) {
  Select({"a.jpg"});
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_VIEW_ANNOTATE));
  EXPECT_EQ(AnnotateWith("Beach, 2001"), "");
  const std::string expected = std::string("\x05\x00", 2) + "a.jpg" + std::string("\x0B\x00", 2) + "Beach, 2001";
  EXPECT_EQ(StoreBytes(), expected);
}

TEST_F(Annotate, ASecondAnnotationIsAppendedAndShownNextTime) {
  Select({"a.jpg"});
  AnnotateWith("Beach, 2001");
  EXPECT_EQ(AnnotateWith("Sunset"), "Beach, 2001");
  EXPECT_EQ(StoreBytes(), StoreRecord("a.jpg", "Beach, 2001") + StoreRecord("a.jpg", "Sunset"));
  EXPECT_EQ(AnnotateWith("Sunset"), "Sunset");
}

TEST_F(Annotate, AnEmptyAnnotationIsKeptAndLaterRecordsStillRead) {
  Select({"a.jpg"});
  AnnotateWith("Beach, 2001");
  EXPECT_EQ(AnnotateWith(""), "Beach, 2001");
  Select({"b.jpg"});
  AnnotateWith("later");
  EXPECT_EQ(StoreBytes(),
            StoreRecord("a.jpg", "Beach, 2001") + StoreRecord("a.jpg", "") + StoreRecord("b.jpg", "later"));
  Select({"a.jpg"});
  EXPECT_EQ(AnnotateWith("again"), "");
  Select({"b.jpg"});
  EXPECT_EQ(AnnotateWith("later"), "later");
}

TEST_F(Annotate, ThreeSelectedFilesGetOneRecordEachInIndexOrderFromAnEmptyDialog) {
  Select({"b.jpg"});
  AnnotateWith("old");
  Select({"c.jpg", "a.jpg", "b.jpg"});
  EXPECT_EQ(AnnotateWith("x"), "");
  EXPECT_EQ(StoreBytes(), StoreRecord("b.jpg", "old") + StoreRecord("a.jpg", "x") + StoreRecord("b.jpg", "x") +
                              StoreRecord("c.jpg", "x"));
}

// Forty photos without thumbnails: the worker makes them and asks for a relisting while the dialog
// is up. The relisting waits for the dialog, and OK stores a record for each name selected when
// the command was chosen.
TEST_F(Annotate, TwoSelectedPhotosGetTheirRecordsWhileTheWorkerRelists) {
  TempDir photos;
  for (int i = 0; i < 40; ++i) {
    char name[16];
    wsprintfA(name, "p%02d.jpg", i);
    ASSERT_TRUE(WriteTestJpeg(photos / name, 320, 240));
  }
  list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(photos.Path().c_str()));
  const unsigned listing = Browser().thumbnailClaims.ListingsOf(photos.Path());
  ASSERT_EQ(list_->ItemCount(), 40);
  Select({"p03.jpg", "p17.jpg"});
  bool workerDone = false;
  bool relistedInside = true;
  int deferred = 0;
  DialogDriver driver([&](HWND dialog) {
    workerDone = PumpUntil([] { return AfxRunningWorkerCount() == 0; }, 60000);
    PumpMessages(200);
    relistedInside = Browser().thumbnailClaims.ListingsOf(photos.Path()) != listing;
    deferred = DeferredMessageCount();
    HWND edit = GetDlgItem(dialog, IDC_ANNOTATION_TEXT);
    SetFocus(edit);
    for (char c : std::string("Harbour")) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    ClickButton(dialog, IDOK);
  });
  Command(ID_VIEW_ANNOTATE);
  ASSERT_TRUE(driver.Ran());
  EXPECT_TRUE(workerDone);
  EXPECT_FALSE(relistedInside);
  EXPECT_GE(deferred, 1);
  EXPECT_EQ(ReadTestFile(photos / "Annotations"),
            StoreRecord("p03.jpg", "Harbour") + StoreRecord("p17.jpg", "Harbour"));
  // The relisting runs once the dialog has gone.
  EXPECT_TRUE(PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(photos.Path()) > listing; }, 5000));
}

TEST_F(Annotate, CancelLeavesTheStoreAsItWas) {
  Select({"a.jpg"});
  AnnotateWith("Cancelled", IDCANCEL);
  ASSERT_TRUE(StoreExists());  // made empty when the single file's annotation was looked up
  EXPECT_EQ(StoreBytes(), "");
  AnnotateWith("kept");
  const std::string before = StoreBytes();
  AnnotateWith("Cancelled", IDCANCEL);
  EXPECT_EQ(StoreBytes(), before);
}

TEST_F(Annotate, EnterStartsANewLineStoredAsCarriageReturnLineFeed) {
  Select({"a.jpg"});
  DialogDriver driver([](HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_ANNOTATION_TEXT);
    SetFocus(edit);
    SendMessageA(edit, WM_CHAR, 'a', 1);
    // Enter, as the keyboard queues it, goes through the dialog's loop to the edit, not to the
    // default button.
    const LPARAM enter = 1 | (static_cast<LPARAM>(MapVirtualKeyA(VK_RETURN, 0)) << 16);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, enter);
    PostMessageA(edit, WM_CHAR, '\r', enter);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, enter | 0xC0000000);
    PostMessageA(edit, WM_CHAR, 'b', 1);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  Command(ID_VIEW_ANNOTATE);
  ASSERT_TRUE(driver.Ran());
  EXPECT_EQ(StoreBytes(), StoreRecord("a.jpg", "a\r\nb"));
  EXPECT_EQ(StoreRecord("a.jpg", "a\r\nb").substr(7), std::string("\x04\x00\x61\x0D\x0A\x62", 6));
}

TEST_F(Annotate, TheTextIsLimitedToTwoHundredFiftySixCharacters) {
  Select({"a.jpg"});
  std::string typedBack;
  DialogDriver driver([&](HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_ANNOTATION_TEXT);
    for (int i = 0; i < 300; ++i) SendMessageA(edit, WM_CHAR, 'k', 1);
    typedBack = ControlText(dialog, IDC_ANNOTATION_TEXT);
    ClickButton(dialog, IDOK);
  });
  Command(ID_VIEW_ANNOTATE);
  ASSERT_TRUE(driver.Ran());
  EXPECT_EQ(typedBack.size(), 256u);
  EXPECT_EQ(StoreBytes(), StoreRecord("a.jpg", std::string(256, 'k')));
}

TEST_F(Annotate, ATooLongTextSetFromOutsideIsRefusedWithABoxAndTheDialogStays) {
  Select({"a.jpg"});
  bool stillOpen = false;
  DialogDriver driver([&](HWND dialog) {
    // WM_SETTEXT is not limited by the edit: the saving pass must catch it.
    SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, std::string(300, 'z').c_str());
    ClickButton(dialog, IDOK);
    stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, "fits");
    ClickButton(dialog, IDOK);
  });
  Command(ID_VIEW_ANNOTATE);
  ASSERT_TRUE(driver.Ran());
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Enter no more than 256 characters.");
  EXPECT_EQ(StoreBytes(), StoreRecord("a.jpg", "fits"));
}

TEST_F(Annotate, AStoreThatCannotBeWrittenChangesNothing) {
  Select({"a.jpg"});
  AnnotateWith("first");
  AnnotateWith("", IDCANCEL);  // reads "first" into the list's annotations
  HANDLE other = CreateFileA((dir_ / "Annotations").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  // The store cannot be read: the dialog shows what was read before, and OK writes nothing.
  EXPECT_EQ(AnnotateWith("second"), "first");
  CloseHandle(other);
  EXPECT_EQ(StoreBytes(), StoreRecord("a.jpg", "first"));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Annotate, TheCommandBelongsToTheListView) {
  Frame()->SetActiveView(Frame()->Splitter().GetPane(0, 0));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_VIEW_ANNOTATE));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_VIEW_FIND));
  Frame()->SetActiveView(list_);
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_VIEW_ANNOTATE));
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_VIEW_FIND));
}

}  // namespace
