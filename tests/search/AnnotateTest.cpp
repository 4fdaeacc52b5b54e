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
  // Runs the Annotate command, which opens with `expectShown`; OK with `typed` must fail to save
  // and keep the dialog open with the text, which is then cancelled. True when it did.
  bool OkKeepsTheDialog(const std::string& typed, const std::string& expectShown = "") {
    bool kept = false;
    DialogDriver driver([&](HWND dialog) {
      EXPECT_EQ(ControlText(dialog, IDC_ANNOTATION_TEXT), expectShown);
      SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, typed.c_str());
      ClickButton(dialog, IDOK);
      kept = IsWindow(dialog) && IsWindowVisible(dialog) && ControlText(dialog, IDC_ANNOTATION_TEXT) == typed;
      ClickButton(dialog, IDCANCEL);
    });
    Command(ID_VIEW_ANNOTATE);
    EXPECT_TRUE(driver.Ran());
    return kept;
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
  // The relisting runs once the dialog has gone, and the two photos are still the selection.
  EXPECT_TRUE(PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(photos.Path()) > listing; }, 5000));
  EXPECT_EQ(list_->SelectedNames(), (std::vector<std::string>{"p03.jpg", "p17.jpg"}));
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

TEST_F(Annotate, SeveralFilesShowTheirCommonAnnotationAndKeepThemWhenTheTextIsLeft) {
  Select({"a.jpg", "b.jpg", "c.jpg"});
  EXPECT_EQ(AnnotateWith("same"), "");
  const std::string three = StoreRecord("a.jpg", "same") + StoreRecord("b.jpg", "same") + StoreRecord("c.jpg", "same");
  ASSERT_EQ(StoreBytes(), three);
  EXPECT_EQ(AnnotateWith("same"), "same");
  EXPECT_EQ(StoreBytes(), three);
  Select({"b.jpg"});
  AnnotateWith("other");
  // They differ now: the dialog opens empty, and OK without typing erases nothing.
  Select({"a.jpg", "b.jpg", "c.jpg"});
  EXPECT_EQ(AnnotateWith(""), "");
  EXPECT_EQ(StoreBytes(), three + StoreRecord("b.jpg", "other"));
  Select({"a.jpg", "c.jpg"});
  EXPECT_EQ(AnnotateWith("same"), "same");
  EXPECT_EQ(StoreBytes(), three + StoreRecord("b.jpg", "other"));
}

TEST_F(Annotate, AFileThatIsNotAStoreToAddToIsLeftByteForByteAndTheUserIsTold) {
  std::string damaged = StoreRecord("a.jpg", "one") + StoreRecord("b.jpg", "two") + StoreRecord("c.jpg", "three");
  damaged[StoreRecord("a.jpg", "one").size() + 1] = '\x40';  // b.jpg's name length: 0x4005
  for (const std::string& bytes : {std::string("Trip notes\r\n"), damaged}) {
    ASSERT_TRUE(WriteTestFile(dir_ / "Annotations", bytes));
    boxes_.Clear();
    Select({"c.jpg"});
    EXPECT_TRUE(OkKeepsTheDialog("new text"));
    EXPECT_EQ(StoreBytes(), bytes);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "The annotation was not saved.\n\n\"" + (dir_ / "Annotations") +
                                          "\" does not read as a list of annotations: it is damaged or belongs to "
                                          "another program. It has been left as it is.");
  }
}

TEST_F(Annotate, AStoreThatCannotBeWrittenIsToldAndTheTextStaysInTheDialog) {
  const std::string store = dir_ / "Annotations";
  Select({"a.jpg"});
  AnnotateWith("first");
  AnnotateWith("", IDCANCEL);  // reads "first" into the list's annotations
  HANDLE other =
      CreateFileA(store.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  // The store cannot be read: the dialog shows what was read before.
  EXPECT_TRUE(OkKeepsTheDialog("second", "first"));
  CloseHandle(other);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_NE(boxes_.Boxes()[0].text.find("is in use by another program"), std::string::npos);

  EXPECT_EQ(StoreBytes(), StoreRecord("a.jpg", "first"));

  // Refused as a read-only file or medium is (Wine running as root writes read-only files).
  ASSERT_TRUE(DeleteFileA(store.c_str()));
  ASSERT_TRUE(CreateDirectoryA(store.c_str(), nullptr));
  EXPECT_TRUE(OkKeepsTheDialog("second", "first"));
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_NE(boxes_.Boxes()[1].text.find("cannot be written"), std::string::npos) << boxes_.Boxes()[1].text;
  RemoveDirectoryA(store.c_str());
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
