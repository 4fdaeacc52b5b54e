#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "browser/ThumbnailFiles.h"
#include "image/JpegFile.h"
#include "tests/app/AppFixture.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/ViewerList.h"

namespace {

// The running program with its list view, listing folders of real files.
class ListView : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(app_.InitInstance());
    list_ = Frame()->ListView();
  }
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(app_.m_viewers.windows.begin(), app_.m_viewers.windows.end()))
      viewer->SendMessage(WM_CLOSE);
    AppTest::TearDown();
  }
  void List(const std::string& folder) {
    list_->SendMessage(kWmListFolder, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const FileRecord& r : list_->Records()) names.push_back(r.fileName);
    return names;
  }
  std::string Text(int item, int subitem) const {
    char buffer[260] = "";
    LVITEMA lv{};
    lv.iSubItem = subitem;
    lv.pszText = buffer;
    lv.cchTextMax = sizeof buffer;
    list_->SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    return buffer;
  }
  int Image(int item) const {
    LVITEMA lv{};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    list_->SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.iImage;
  }
  // Pixels of image `index` of the thumbnail image list, top row first.
  std::vector<COLORREF> ImagePixels(int index, int& width, int& height) const {
    IMAGEINFO info{};
    ImageList_GetImageInfo(list_->Thumbnails(), index, &info);
    width = info.rcImage.right - info.rcImage.left;
    height = info.rcImage.bottom - info.rcImage.top;
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, copy);
    ImageList_Draw(list_->Thumbnails(), index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(copy);
    DeleteDC(dc);
    return pixels;
  }
  void SetModified(const std::string& path, int dayOfMonth) {
    SYSTEMTIME st{2021, 3, 0, static_cast<WORD>(dayOfMonth), 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  }

  CMyListView* list_ = nullptr;
  TempDir dir_;
};

bool White(COLORREF c) { return c == RGB(255, 255, 255); }

TEST_F(ListView, SizeTextsRoundUpToKilobytes) {
  EXPECT_EQ(SizeColumnText(0), "0 KB");
  EXPECT_EQ(SizeColumnText(1024), "1 KB");
  EXPECT_EQ(SizeColumnText(1025), "2 KB");
  EXPECT_EQ(SizeColumnText(0xFFFFFFFFu), "4194304 KB");
}

TEST_F(ListView, ItemsShowTheirFourColumns) {
  WriteTestJpeg(dir_ / "harbour.jpg", 64, 48);
  SetModified(dir_ / "harbour.jpg", 9);
  List(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), 1);
  EXPECT_EQ(Text(0, 0), "harbour.jpg");
  EXPECT_EQ(Text(0, 1), SizeColumnText(list_->Records()[0].size));
  EXPECT_EQ(Text(0, 2), "JPEG Image");
  std::string modified = Text(0, 3);
  EXPECT_EQ(modified, ModifiedColumnText(list_->Records()[0].modified));
  EXPECT_NE(modified.find(' '), std::string::npos);  // date, a blank, time
  Command(ID_VIEW_DISPLAY_MODE);  // the columns show in report mode
  HWND header = reinterpret_cast<HWND>(list_->SendMessage(LVM_GETHEADER));
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(list_->SendMessage(LVM_GETCOLUMNWIDTH, 0), 135);
  EXPECT_EQ(list_->SendMessage(LVM_GETCOLUMNWIDTH, 1), 90);
}

TEST_F(ListView, ADriveRootIsSearchedAndJoinedWithoutADoubledSeparator) {
  // S: is a removable drive: its thumbnails go below the program's folder.
  const std::string root = "S:\\";
  std::string photo = root + "lvroot" + std::to_string(GetCurrentProcessId()) + ".jpg";
  ASSERT_TRUE(WriteTestJpeg(photo, 300, 200));
  List(root);
  DeleteFileA(photo.c_str());
  EXPECT_EQ(list_->CurrentFolder(), root);
  int index = -1;
  for (int i = 0; i < list_->ItemCount(); ++i)
    if (list_->ItemPath(i) == photo) index = i;
  ASSERT_GE(index, 0);
  EXPECT_EQ(list_->Records()[static_cast<size_t>(index)].baseFolder, root);
  DWORD attributes = GetFileAttributesA((app_.m_appFolder + "\\DRVE_S").c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ListView, AFolderWithoutPicturesStaysEmptyAlsoAfterASort) {
  WriteTestFile(dir_ / "a.txt", "notes");
  List(dir_.Path());
  EXPECT_EQ(list_->ItemCount(), 0);
  Command(ID_SORT_SIZE);
  EXPECT_EQ(list_->ItemCount(), 0);
  List(dir_ / "no such folder");
  EXPECT_EQ(list_->ItemCount(), 0);
}

TEST_F(ListView, HiddenPicturesCountOnlyBesideVisibleOnes) {
  WriteTestJpeg(dir_ / "secret.jpg", 32, 32);
  SetFileAttributesA((dir_ / "secret.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
  List(dir_.Path());
  EXPECT_EQ(list_->ItemCount(), 0);
  WriteTestJpeg(dir_ / "open.jpg", 32, 32);
  List(dir_.Path());
  EXPECT_EQ(list_->ItemCount(), 2);
}

TEST_F(ListView, SortByDateIsSavedAndUsedByTheNextListing) {
  for (auto [name, day] : {std::pair{"a.jpg", 20}, {"b.jpg", 5}, {"c.jpg", 12}}) {
    WriteTestJpeg(dir_ / name, 16, 16);
    SetModified(dir_ / name, day);
  }
  List(dir_.Path());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  Command(ID_SORT_DATE);
  EXPECT_EQ(app_.GetProfileInt("Settings", "SortBy", -1), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.jpg", "c.jpg", "a.jpg"}));
  EXPECT_EQ(list_->ItemCount(), 3);
  List(dir_.Path());
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.jpg", "c.jpg", "a.jpg"}));
}

TEST_F(ListView, AnUnknownSortOrderKeepsThePlatformsOrder) {
  for (const char* name : {"m.jpg", "a.jpg", "z.jpg", "k.jpg"}) WriteTestJpeg(dir_ / name, 16, 16);
  app_.WriteProfileInt("Settings", "SortBy", 7);
  List(dir_.Path());
  std::vector<std::string> platform;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir_ / "*.jpg").c_str(), &found);
  do platform.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  EXPECT_EQ(Names(), platform);
}

// Pictures of items come from thumbnail files fitted into the white thumbnail box.
class ItemPictures : public ListView {
 protected:
  // An image with a thumbnail file of the given size already in place.
  void ImageWithThumbnail(const std::string& name, uint32_t thumbWidth, uint32_t thumbHeight) {
    WriteTestJpeg(dir_ / (name + ".jpg"), 640, 480);
    std::vector<uint8_t> gray(size_t{thumbWidth} * thumbHeight * 3, 90);
    ASSERT_TRUE(WriteJpegRgb((dir_ / (name + ".cpg")).c_str(), gray.data(), thumbWidth, thumbHeight, 90));
  }
  // First and last rows and columns of the picture that are not white.
  void PictureBounds(int index, int& left, int& top, int& right, int& bottom, int& size) {
    int w = 0;
    int h = 0;
    std::vector<COLORREF> px = ImagePixels(index, w, h);
    size = w;
    left = w;
    top = h;
    right = -1;
    bottom = -1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (!White(px[static_cast<size_t>(y) * w + x])) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
  }
};

TEST_F(ItemPictures, AWidePictureSitsBetweenWhiteBands) {
  ImageWithThumbnail("wide", 96, 72);
  List(dir_.Path());
  EXPECT_EQ(Image(0), 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 1);
  int left, top, right, bottom, size;
  PictureBounds(0, left, top, right, bottom, size);
  EXPECT_EQ(size, 96);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 95);
  EXPECT_EQ(top, 12);
  EXPECT_EQ(bottom, 83);
}

TEST_F(ItemPictures, ATallPictureLeavesAWhiteBandOnTheRight) {
  ImageWithThumbnail("tall", 96, 128);
  List(dir_.Path());
  Image(0);
  int left, top, right, bottom, size;
  PictureBounds(0, left, top, right, bottom, size);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 71);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(bottom, 95);
}

TEST_F(ItemPictures, AnOldSmallThumbnailIsEnlargedInABiggerBox) {
  ImageWithThumbnail("old", 96, 72);
  SetThumbnailBox(192);
  list_->PurgeThumbnails();  // makes the image list at 192; the old .cpg is deleted too, so put it back
  ImageWithThumbnail("old", 96, 72);
  List(dir_.Path());
  Image(0);
  int left, top, right, bottom, size;
  PictureBounds(0, left, top, right, bottom, size);
  EXPECT_EQ(size, 192);
  EXPECT_EQ(top, 24);
  EXPECT_EQ(bottom, 167);
  EXPECT_EQ(right, 191);
}

TEST_F(ItemPictures, AnEmptyThumbnailFileGivesAWhiteSquare) {
  WriteTestJpeg(dir_ / "x.jpg", 640, 480);
  WriteTestFile(dir_ / "x.cpg", "");
  List(dir_.Path());
  EXPECT_EQ(Image(0), 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 1);
  int w, h;
  for (COLORREF c : ImagePixels(0, w, h)) ASSERT_TRUE(White(c));
}

TEST_F(ItemPictures, AMissingThumbnailIsMadeOnDemand) {
  WriteTestJpeg(dir_ / "new.jpg", 640, 480);
  Command(ID_VIEW_DISPLAY_MODE);  // report mode: no pictures, so the worker makes the file
  List(dir_.Path());
  EXPECT_EQ(Image(0), 0);
  Command(ID_VIEW_DISPLAY_MODE);
  PumpUntil([this] { return PathExists(dir_ / "new.cpg"); });
  List(dir_.Path());
  EXPECT_EQ(Image(0), 0);
  EXPECT_EQ(JpegSize(dir_ / "new.cpg"), (PictureSize{96, 72}));
  EXPECT_TRUE(GetFileAttributesA((dir_ / "new.cpg").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(ItemPictures, ReportModeShowsTheSmallPictureAndMakesNoThumbnail) {
  Command(ID_VIEW_DISPLAY_MODE);
  std::string folder = dir_ / "report";
  WriteTestJpeg(folder + "\\r.jpg", 640, 480);
  // Listed without a worker run in between: the readiness check is the listing's, the worker's
  // files would appear later, so ask for the picture straight away.
  List(folder);
  EXPECT_EQ(Image(0), 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 0);
}

TEST_F(ListView, ArrowKeysStepFromNoItemToTheFirstAndShowItInThePreview) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WriteTestJpeg(dir_ / name, 40, 30);
  List(dir_.Path());
  ASSERT_EQ(list_->CurrentItem(), -1);
  NMLVKEYDOWN key{{list_->m_hWnd, 0xE901, LVN_KEYDOWN}, VK_DOWN, 0};
  EXPECT_EQ(Frame()->Splitter().SendMessage(WM_NOTIFY, 0xE901, reinterpret_cast<LPARAM>(&key)), 1);
  EXPECT_EQ(list_->CurrentItem(), 0);
  EXPECT_EQ(list_->SelectedCount(), 1);
  EXPECT_EQ(list_->FocusedItem(), 0);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "a.jpg");
  key.wVKey = VK_RIGHT;
  Frame()->Splitter().SendMessage(WM_NOTIFY, 0xE901, reinterpret_cast<LPARAM>(&key));
  key.wVKey = VK_RIGHT;
  Frame()->Splitter().SendMessage(WM_NOTIFY, 0xE901, reinterpret_cast<LPARAM>(&key));
  Frame()->Splitter().SendMessage(WM_NOTIFY, 0xE901, reinterpret_cast<LPARAM>(&key));  // already last
  EXPECT_EQ(list_->CurrentItem(), 2);
  key.wVKey = VK_UP;
  Frame()->Splitter().SendMessage(WM_NOTIFY, 0xE901, reinterpret_cast<LPARAM>(&key));
  EXPECT_EQ(list_->CurrentItem(), 1);
  EXPECT_EQ(list_->SelectedCount(), 1);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "b.jpg");
}

TEST_F(ListView, AutoAdvanceFromTheLastItemWrapsToTheFirstAndStopsAtTheEnd) {
  for (int i = 0; i < 5; ++i) WriteTestJpeg(dir_ / ("p" + std::to_string(i) + ".jpg"), 20, 20);
  List(dir_.Path());
  list_->StepTo(4);
  Frame()->SetActiveView(list_);
  Command(ID_VIEW_AUTO_ADVANCE);
  ASSERT_TRUE(list_->AutoAdvanceRunning());
  EXPECT_EQ(list_->CurrentItem(), -1);
  list_->SendMessage(WM_TIMER, 1);
  EXPECT_EQ(list_->CurrentItem(), 0);
  EXPECT_EQ(list_->FocusedItem(), 0);
  list_->SendMessage(WM_TIMER, 2);  // other timers are ignored
  EXPECT_EQ(list_->CurrentItem(), 0);
  for (int i = 0; i < 4; ++i) list_->SendMessage(WM_TIMER, 1);
  EXPECT_EQ(list_->CurrentItem(), 4);
  EXPECT_FALSE(list_->AutoAdvanceRunning());
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_AUTO_ADVANCE_START));
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_AUTO_ADVANCE_STOP));
}

TEST_F(ListView, AutoAdvanceCommandsReachTheListFromAnyPane) {
  WriteTestJpeg(dir_ / "a.jpg", 20, 20);
  List(dir_.Path());
  Frame()->SetActiveView(Frame()->Splitter().GetPane(0, 0));
  Command(ID_AUTO_ADVANCE_START);
  EXPECT_TRUE(list_->AutoAdvanceRunning());
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_AUTO_ADVANCE_START));
  Command(ID_AUTO_ADVANCE_STOP);
  EXPECT_FALSE(list_->AutoAdvanceRunning());
}

TEST_F(ListView, AClickShowsTheItemInThePreviewAndADoubleClickOpensIt) {
  for (const char* name : {"a.jpg", "b.jpg"}) WriteTestJpeg(dir_ / name, 40, 30);
  List(dir_.Path());
  PumpMessages();
  RECT item{LVIR_BOUNDS, 0, 0, 0};
  list_->SendMessage(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  list_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  list_->SendMessage(WM_LBUTTONUP, 0, at);
  PumpMessages();
  EXPECT_EQ(list_->CurrentItem(), 1);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "b.jpg");
  EXPECT_EQ(Frame()->GetActiveView(), list_);

  NMITEMACTIVATE dbl{};
  dbl.hdr = {list_->m_hWnd, 0xE901, NM_DBLCLK};
  dbl.iItem = 1;
  Frame()->Splitter().SendMessage(WM_NOTIFY, 0xE901, reinterpret_cast<LPARAM>(&dbl));
  ASSERT_EQ(app_.m_viewers.windows.size(), 1u);
  EXPECT_EQ(static_cast<CViewerFrame*>(app_.m_viewers.windows.front())->PicturePath(), dir_ / "b.jpg");
}

TEST_F(ListView, OpenAndSelectAllActOnTheSelection) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) WriteTestJpeg(dir_ / name, 40, 30);
  List(dir_.Path());
  Frame()->SetActiveView(list_);
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_FILE_OPEN));
  Command(ID_EDIT_SELECT_ALL);
  EXPECT_EQ(list_->SelectedCount(), 3);
  EXPECT_TRUE(Frame()->IsCommandEnabled(ID_FILE_OPEN));
  Command(ID_FILE_OPEN);
  ASSERT_EQ(app_.m_viewers.windows.size(), 3u);
  EXPECT_EQ(static_cast<CViewerFrame*>(app_.m_viewers.windows.back())->PicturePath(), dir_ / "c.jpg");
}

TEST_F(ListView, TheWorkersListingRequestRelistsTheCurrentFolder) {
  Command(ID_VIEW_DISPLAY_MODE);  // report mode: the view itself makes no thumbnail
  for (int i = 0; i < 3; ++i) WriteTestJpeg(dir_ / ("w" + std::to_string(i) + ".jpg"), 200, 150);
  List(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), 3);
  // A file that appears after the listing shows only when the folder is listed again.
  WriteTestJpeg(dir_ / "late.jpg", 200, 150);
  ASSERT_TRUE(PumpUntil([this] { return list_->ItemCount() == 4; }, 10000));
  EXPECT_EQ(FileNames(dir_.Path(), "*.cpg").size(), 4u);
}

}  // namespace
