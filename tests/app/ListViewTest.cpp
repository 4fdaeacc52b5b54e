#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "browser/ListMessages.h"
#include "browser/MyListView.h"
#include "browser/ThumbnailClaims.h"
#include "browser/ThumbnailFiles.h"
#include "framework/Thread.h"
#include "image/JpegFile.h"
#include "image/PixelBuffer.h"
#include "tests/app/AppFixture.h"
#include "tests/browser/ThumbnailTestFiles.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/ViewerList.h"

extern "C" {
#include <jpeglib.h>
}

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
    for (CWnd* viewer : std::vector<CWnd*>(Viewers().windows.begin(), Viewers().windows.end()))
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
  // A real key press on the list control: posted key-down and key-up messages, dispatched by the
  // message loop as typed keys are.
  void PressKey(UINT key) {
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    const bool extended = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_HOME;
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (extended ? (1 << 24) : 0);
    PostMessageA(list_->m_hWnd, WM_KEYDOWN, key, down);
    PostMessageA(list_->m_hWnd, WM_KEYUP, key, down | (1u << 30) | (1u << 31));
    PumpMessages();
  }
  // A real click on the middle of item `index`, with the keys given in `keys` (MK_CONTROL, MK_SHIFT).
  void Click(int index, WPARAM keys = 0) {
    RECT item{LVIR_BOUNDS, 0, 0, 0};
    list_->SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    list_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    list_->SendMessage(WM_LBUTTONUP, keys, at);
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
  // The texts of a known size and time (the tests run with TZ=UTC in the en-US locale).
  WriteTestFile(dir_ / "harbour.jpg", std::string(5000, 'x'));
  WriteTestFile(dir_ / "quay.jpg", std::string(1025, 'x'));
  SetModified(dir_ / "harbour.jpg", 9);
  SetModified(dir_ / "quay.jpg", 21);
  List(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), 2);
  EXPECT_EQ(Text(0, 0), "harbour.jpg");
  EXPECT_EQ(Text(0, 1), "5 KB");
  EXPECT_EQ(Text(0, 2), "JPEG Image");
  EXPECT_EQ(Text(0, 3), "3/9/2021 12:00:00 PM");
  EXPECT_EQ(Text(1, 1), "2 KB");
  EXPECT_EQ(Text(1, 3), "3/21/2021 12:00:00 PM");
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
  DWORD attributes = GetFileAttributesA((Browser().appFolder + "\\DRVE_S").c_str());
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
  const int image = Image(0);
  EXPECT_NE(image, 0);  // image 0 is the waiting picture
  EXPECT_EQ(list_->LoadedFlags()[0], 1);
  int left, top, right, bottom, size;
  PictureBounds(image, left, top, right, bottom, size);
  EXPECT_EQ(size, 96);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 95);
  EXPECT_EQ(top, 12);
  EXPECT_EQ(bottom, 83);
}

TEST_F(ItemPictures, ATallPictureLeavesAWhiteBandOnTheRight) {
  ImageWithThumbnail("tall", 96, 128);
  List(dir_.Path());
  int left, top, right, bottom, size;
  PictureBounds(Image(0), left, top, right, bottom, size);
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
  int left, top, right, bottom, size;
  PictureBounds(Image(0), left, top, right, bottom, size);
  EXPECT_EQ(size, 192);
  EXPECT_EQ(top, 24);
  EXPECT_EQ(bottom, 167);
  EXPECT_EQ(right, 191);
}

TEST_F(ItemPictures, AnEmptyThumbnailFileGivesAWhiteSquare) {
  WriteTestJpeg(dir_ / "x.jpg", 640, 480);
  WriteTestFile(dir_ / "x.cpg", "");
  List(dir_.Path());
  const int image = Image(0);
  EXPECT_NE(image, 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 1);
  int w, h;
  for (COLORREF c : ImagePixels(image, w, h)) ASSERT_TRUE(White(c));
}

TEST_F(ItemPictures, AMissingThumbnailIsMadeOnDemandByTheViewItself) {
  WriteTestJpeg(dir_ / "new.jpg", 640, 480);
  List(dir_.Path());
  // The listing's worker is asked to stop at once and waited for, so that only the view can make
  // the file from here on; the view's own picture request makes it.
  ASSERT_TRUE(AfxStopWorkers(10000));
  AfxResetWorkerStop();
  DeleteFileA((dir_ / "new.cpg").c_str());
  const int image = Image(0);
  EXPECT_NE(image, 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 1);
  EXPECT_EQ(JpegSize(dir_ / "new.cpg"), (PictureSize{96, 72}));
  EXPECT_TRUE(GetFileAttributesA((dir_ / "new.cpg").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(AfxRunningWorkerCount(), 0);
  int left, top, right, bottom, size;
  PictureBounds(image, left, top, right, bottom, size);
  EXPECT_EQ(top, 12);
  EXPECT_EQ(bottom, 83);
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

// A JPEG of one solid colour.
void WriteSolidJpeg(const std::string& path, uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(size_t{width} * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 95));
}

bool Near(COLORREF c, int r, int g, int b) {
  return std::abs(GetRValue(c) - r) < 12 && std::abs(GetGValue(c) - g) < 12 && std::abs(GetBValue(c) - b) < 12;
}

TEST_F(ItemPictures, ManyItemsAtTheLargestBoxShareABoundedImageListAndEachShowsItsOwnPicture) {
  SetThumbnailBox(504);
  list_->PurgeThumbnails();
  // More items than the image list has slots at this box; each a colour of its own.
  const int count = ThumbnailSlots::SlotCountFor(1000, 504 * 504 * 3) + 20;
  ASSERT_LT(count, 1000);
  auto colour = [](int i) { return std::array<int, 3>{(i * 37) % 200 + 20, (i * 91) % 200 + 20, (i * 53) % 200 + 20}; };
  for (int i = 0; i < count; ++i) {
    auto c = colour(i);
    char name[16];
    wsprintfA(name, "s%03d.jpg", i);
    WriteSolidJpeg(dir_ / name, 64, 48, uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]));
  }
  List(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), count);
  // The view alone draws from here on: a thumbnail the worker is making would give no picture yet.
  ASSERT_TRUE(AfxStopWorkers(10000));
  AfxResetWorkerStop();
  EXPECT_LE(ImageList_GetImageCount(list_->Thumbnails()), count - 19);
  // Two passes over every item: the second finds the first items' slots taken by later ones and
  // draws them again; every picture asked for is the item's own.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < count; ++i) {
      const int image = Image(i);
      ASSERT_NE(image, 0) << "item " << i;
      int w = 0, h = 0;
      std::vector<COLORREF> px = ImagePixels(image, w, h);
      ASSERT_EQ(w, 504);
      auto c = colour(i);
      ASSERT_TRUE(Near(px[static_cast<size_t>(h / 2) * w + 10], c[0], c[1], c[2])) << "item " << i << " pass " << pass;
    }
  }
  // Only the items that still hold a slot count as loaded.
  int loaded = 0;
  for (int flag : list_->LoadedFlags()) loaded += flag;
  EXPECT_EQ(loaded, ImageList_GetImageCount(list_->Thumbnails()) - 1);
  EXPECT_EQ(list_->LoadedFlags()[0], 0);
  EXPECT_EQ(list_->LoadedFlags()[static_cast<size_t>(count - 1)], 1);
}

TEST_F(ItemPictures, APictureThatCannotBeAllocatedWaitsAndComesLater) {
  WriteTestJpeg(dir_ / "big.jpg", 1200, 900);
  // The thumbnail's band of rows (56 KB) fails as if memory had run out.
  SetPixelAllocationLimit(16 << 10);
  List(dir_.Path());
  EXPECT_EQ(Image(0), 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 0);
  EXPECT_FALSE(PathExists(dir_ / "big.cpg"));
  ASSERT_TRUE(AfxStopWorkers(10000));  // the worker fails the same way
  AfxResetWorkerStop();
  SetPixelAllocationLimit(0);
  EXPECT_FALSE(PathExists(dir_ / "big.cpg"));
  List(dir_.Path());  // the next listing tries again
  // The picture is asked for once the listing's worker is out of the way (a file it is making
  // would give no picture yet).
  ASSERT_TRUE(AfxStopWorkers(10000));
  AfxResetWorkerStop();
  EXPECT_NE(Image(0), 0);
  EXPECT_EQ(list_->LoadedFlags()[0], 1);
  EXPECT_EQ(JpegSize(dir_ / "big.cpg"), (PictureSize{96, 72}));
}

// A JPEG far larger than any photo, written a row at a time so that the test itself never holds
// the whole picture.
bool WriteHugeJpeg(const std::string& path, uint32_t width, uint32_t height) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct codec{};
  jpeg_error_mgr errors{};
  codec.err = jpeg_std_error(&errors);
  jpeg_create_compress(&codec);
  jpeg_stdio_dest(&codec, out);
  codec.image_width = width;
  codec.image_height = height;
  codec.input_components = 3;
  codec.in_color_space = JCS_RGB;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, 50, TRUE);
  jpeg_start_compress(&codec, TRUE);
  std::vector<uint8_t> row(size_t{width} * 3);
  while (codec.next_scanline < height) {
    for (uint32_t x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(x >> 6);
      row[x * 3 + 1] = static_cast<uint8_t>(codec.next_scanline >> 6);
      row[x * 3 + 2] = 128;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&codec, rows, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  return std::fclose(out) == 0;
}

TEST_F(ListView, AHugePhotoIsThumbnailedAndViewedOrSkippedButNeverCrashes) {
  ASSERT_TRUE(WriteHugeJpeg(dir_ / "huge.jpg", 16000, 12000));
  List(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), 1);
  const int image = Image(0);
  // Made when the memory could be had, else the item waits and nothing is left half done.
  if (PathExists(dir_ / "huge.cpg")) {
    EXPECT_NE(image, 0);
    EXPECT_EQ(JpegSize(dir_ / "huge.cpg"), (PictureSize{96, 72}));
  } else {
    EXPECT_EQ(image, 0);
    EXPECT_EQ(list_->LoadedFlags()[0], 0);
  }
  list_->StepTo(0);
  list_->OpenSelected();
  ASSERT_EQ(Viewers().windows.size(), 1u);
  auto* viewer = static_cast<CViewerFrame*>(Viewers().windows.front());
  EXPECT_EQ(viewer->PicturePath(), dir_ / "huge.jpg");
  EXPECT_TRUE(IsWindow(viewer->m_hWnd));
  PumpMessages();
  EXPECT_TRUE(AfxStopWorkers(60000));
  AfxResetWorkerStop();
}

int JpegErrorBoxes(const MessageBoxRecorder& boxes) {
  int count = 0;
  for (const MessageBoxRecord& box : boxes.Boxes()) count += box.caption == "JPEG Error";
  return count;
}

TEST_F(ListView, ADamagedImageWhoseThumbnailCannotBeWrittenWarnsOncePerListing) {
  // On the removable drive the thumbnails go below the program's folder, where this folder's
  // path is too long: no thumbnail can be written for it.
  DriveFolder drive(kRemovableDrive);
  std::string folder = drive.Path() + "\\";
  folder += std::string(255 - 8 - folder.size(), 'L');
  ASSERT_TRUE(MakeFolders(folder));
  const std::string bad = folder + "\\bad.jpg";
  ASSERT_EQ(bad.size(), 255u);
  ASSERT_TRUE(WriteTestJpeg(bad, 400, 300));
  std::string bytes = ReadTestFile(bad);
  WriteTestFile(bad, bytes.substr(0, bytes.size() / 2));  // ends early: decodes with a warning
  for (int i = 0; i < 40; ++i) WriteTestJpeg(folder + "\\g" + std::to_string(i) + ".jpg", 64, 48);
  boxes_.Clear();
  List(folder);
  ASSERT_EQ(list_->ItemCount(), 41);
  const int badItem = 0;  // "bad.jpg" sorts first
  ASSERT_EQ(list_->ItemPath(badItem), bad);
  PumpMessages();
  for (int round = 0; round < 5; ++round) {
    list_->SendMessage(LVM_ENSUREVISIBLE, 40, FALSE);
    list_->UpdateWindow();
    PumpMessages();
    list_->SendMessage(LVM_ENSUREVISIBLE, badItem, FALSE);
    list_->UpdateWindow();
    Image(badItem);
    PumpMessages();
  }
  ASSERT_TRUE(PumpUntil([] { return AfxRunningWorkerCount() == 0; }, 20000));
  PumpMessages();
  EXPECT_EQ(JpegErrorBoxes(boxes_), 1);
  // Shown by the main window from its own loop, whichever thread decoded the file.
  for (const MessageBoxRecord& box : boxes_.Boxes()) EXPECT_EQ(box.thread, GetCurrentThreadId());
  EXPECT_EQ(Image(badItem), 0);
  List(folder);  // a new listing tries again, once
  Image(badItem);
  ASSERT_TRUE(PumpUntil([] { return AfxRunningWorkerCount() == 0; }, 20000));
  PumpMessages();
  EXPECT_EQ(JpegErrorBoxes(boxes_), 2);
}

TEST_F(ListView, NothingIsListedOrWrittenBeforeAFolderIsChosen) {
  // The process's current folder holds a picture; no folder has been listed yet.
  WriteTestJpeg(dir_ / "cwd.jpg", 300, 200);
  char before[MAX_PATH];
  GetCurrentDirectoryA(sizeof before, before);
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
  auto* fresh = new CMyListView;  // deletes itself when destroyed
  ASSERT_TRUE(fresh->Create(Frame(), 0x7001, RECT{0, 0, 400, 300}, WS_CHILD));
  fresh->OnInitialUpdate();
  fresh->SendMessage(kWmListFolder, 0, 0);  // a refresh, a size command or a worker's request
  fresh->PurgeThumbnails();
  EXPECT_EQ(fresh->ItemCount(), 0);
  EXPECT_TRUE(fresh->CurrentFolder().empty());
  EXPECT_TRUE(AfxStopWorkers(10000));
  AfxResetWorkerStop();
  SetCurrentDirectoryA(before);
  EXPECT_EQ(FileNames(dir_.Path()), std::vector<std::string>{"cwd.jpg"});
  fresh->DestroyWindow();
}

// Every item that is selected, in index order.
std::vector<int> Selection(CMyListView* list) {
  std::vector<int> selected;
  int index = -1;
  while ((index = static_cast<int>(list->SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0)
    selected.push_back(index);
  return selected;
}

TEST_F(ListView, ArrowKeysStepOneItemInItemOrderInBothModes) {
  for (int i = 0; i < 12; ++i) WriteTestJpeg(dir_ / ("k" + std::to_string(10 + i) + ".jpg"), 40, 30);
  List(dir_.Path());
  PumpMessages();
  ASSERT_EQ(list_->CurrentItem(), -1);
  PressKey(VK_RIGHT);  // from no item to the first
  EXPECT_EQ(list_->CurrentItem(), 0);
  EXPECT_EQ(Selection(list_), std::vector<int>{0});
  PressKey(VK_RIGHT);
  PressKey(VK_RIGHT);
  EXPECT_EQ(list_->CurrentItem(), 2);
  EXPECT_EQ(Selection(list_), std::vector<int>{2});
  EXPECT_EQ(list_->FocusedItem(), 2);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "k12.jpg");
  // Down in icon mode is the next item too, not the item below in the grid.
  PressKey(VK_DOWN);
  EXPECT_EQ(list_->CurrentItem(), 3);
  EXPECT_EQ(Selection(list_), std::vector<int>{3});
  PressKey(VK_LEFT);
  EXPECT_EQ(list_->CurrentItem(), 2);
  EXPECT_EQ(Selection(list_), std::vector<int>{2});

  Command(ID_VIEW_DISPLAY_MODE);  // report mode
  PumpMessages();
  PressKey(VK_DOWN);
  EXPECT_EQ(list_->CurrentItem(), 3);
  EXPECT_EQ(Selection(list_), std::vector<int>{3});
  EXPECT_EQ(list_->FocusedItem(), 3);
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "k13.jpg");
  PressKey(VK_UP);
  PressKey(VK_UP);
  EXPECT_EQ(list_->CurrentItem(), 1);
  EXPECT_EQ(Selection(list_), std::vector<int>{1});
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "k11.jpg");
}

TEST_F(ListView, ArrowKeysStopAtBothEndsAndOtherKeysReachTheControl) {
  for (const char* name : {"a.jpg", "b.jpg"}) WriteTestJpeg(dir_ / name, 40, 30);
  List(dir_.Path());
  PumpMessages();
  PressKey(VK_UP);  // nothing before the first item
  EXPECT_EQ(list_->CurrentItem(), -1);
  EXPECT_TRUE(Selection(list_).empty());
  PressKey(VK_DOWN);
  PressKey(VK_DOWN);
  PressKey(VK_DOWN);  // already the last
  EXPECT_EQ(list_->CurrentItem(), 1);
  EXPECT_EQ(Selection(list_), std::vector<int>{1});
  // Home is the control's own: it moves the focus and selection to the first item.
  PressKey(VK_HOME);
  EXPECT_EQ(list_->FocusedItem(), 0);
}

TEST_F(ListView, AnArrowKeyStepsFromWhereverTheFocusWentAndLeavesOneItemSelected) {
  for (int i = 0; i < 12; ++i) WriteTestJpeg(dir_ / ("h" + std::to_string(10 + i) + ".jpg"), 40, 30);
  List(dir_.Path());
  PumpMessages();
  Click(3);
  PressKey(VK_HOME);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Selection(list_), std::vector<int>{1});
  EXPECT_EQ(list_->CurrentItem(), 1);
  PressKey(VK_END);
  PressKey(VK_UP);
  EXPECT_EQ(Selection(list_), std::vector<int>{10});
  EXPECT_EQ(Frame()->Preview()->Path(), dir_ / "h20.jpg");
  // Ctrl and Shift clicks select several; the arrow steps from the item clicked last.
  Click(2);
  Click(5, MK_CONTROL);
  ASSERT_EQ(Selection(list_), (std::vector<int>{2, 5}));
  PressKey(VK_RIGHT);
  EXPECT_EQ(Selection(list_), std::vector<int>{6});
  Click(4, MK_SHIFT);
  ASSERT_EQ(Selection(list_), (std::vector<int>{4, 5, 6}));
  PressKey(VK_LEFT);
  EXPECT_EQ(Selection(list_), std::vector<int>{3});
  Frame()->SetActiveView(list_);
  Command(ID_EDIT_SELECT_ALL);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Selection(list_), std::vector<int>{4});
  PressKey(VK_NEXT);  // a page on: wherever the control puts the focus, the step starts there
  const int paged = list_->FocusedItem();
  PressKey(VK_LEFT);
  EXPECT_EQ(Selection(list_), std::vector<int>{paged - 1});
  EXPECT_EQ(list_->FocusedItem(), paged - 1);
}

TEST_F(ListView, ListingTheFolderAgainKeepsWhatTheUserDidByFileName) {
  for (int i = 0; i < 40; ++i) WriteTestJpeg(dir_ / ("f" + std::to_string(10 + i) + ".jpg"), 320, 240);
  List(dir_.Path());
  const unsigned listings = Browser().thumbnailClaims.ListingsOf(dir_.Path());
  // Shown, scrolled down a page, two photos picked with a click and a Ctrl click, while the
  // worker runs.
  list_->UpdateWindow();
  list_->SendMessage(WM_VSCROLL, SB_PAGEDOWN);
  const int first = list_->FirstVisibleItem();
  ASSERT_GT(first, 0);
  Click(first + 1);
  Click(first + 4, MK_CONTROL);
  const std::vector<int> picked{first + 1, first + 4};
  ASSERT_EQ(Selection(list_), picked);
  // The worker finishes and asks for the folder to be listed again.
  ASSERT_TRUE(PumpUntil([&] { return Browser().thumbnailClaims.ListingsOf(dir_.Path()) > listings; }, 30000));
  PumpMessages();
  EXPECT_EQ(FileNames(dir_.Path(), "*.cpg").size(), 40u);
  EXPECT_EQ(Selection(list_), picked);
  EXPECT_EQ(list_->FocusedItem(), first + 4);
  EXPECT_EQ(list_->CurrentItem(), first + 4);
  EXPECT_EQ(list_->FirstVisibleItem(), first);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Selection(list_), std::vector<int>{first + 5});

  // A photo that is gone drops out; the others keep their state under their names.
  Click(first + 1);
  Click(first + 3, MK_CONTROL);
  ASSERT_TRUE(DeleteFileA(list_->ItemPath(first + 1).c_str()));
  Command(ID_VIEW_REFRESH);
  PumpMessages();
  EXPECT_EQ(Selection(list_), std::vector<int>{first + 2});
  EXPECT_EQ(list_->CurrentItem(), first + 2);

  // Another folder starts fresh.
  TempDir other;
  WriteTestJpeg(other / "o.jpg", 40, 30);
  List(other.Path());
  EXPECT_TRUE(Selection(list_).empty());
  EXPECT_EQ(list_->CurrentItem(), -1);
}

// Holds the first complete thumbnail file a worker wrote until the test lets it go on to put it in
// place. The events live as long as the process: a worker may still look at them.
HANDLE g_writtenEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
HANDLE g_goOnEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
std::atomic<DWORD> g_holdingThread{0};
void HoldFirstCompleteWorkerFile(const std::string&, bool complete) {
  DWORD none = 0;
  if (!complete || !g_holdingThread.compare_exchange_strong(none, GetCurrentThreadId())) return;
  SetEvent(g_writtenEvent);
  WaitForSingleObject(g_goOnEvent, 20000);
}

TEST_F(ListView, ASizeChosenWhileTheWorkerWritesLeavesNoThumbnailOfTheOldBox) {
  Command(ID_VIEW_DISPLAY_MODE);  // report mode: only the worker writes thumbnails
  for (int i = 0; i < 6; ++i) WriteTestJpeg(dir_ / ("z" + std::to_string(i) + ".jpg"), 400, 300);
  ResetEvent(g_writtenEvent);
  ResetEvent(g_goOnEvent);
  g_holdingThread = 0;
  SetTemporaryFileObserver(HoldFirstCompleteWorkerFile);
  struct Release {
    ~Release() {
      SetEvent(g_goOnEvent);
      SetTemporaryFileObserver(nullptr);
    }
  } release;
  List(dir_.Path());
  // A thumbnail for the 96-pixel box is written, not yet in place, when 192 is chosen.
  ASSERT_EQ(WaitForSingleObject(g_writtenEvent, 20000), WAIT_OBJECT_0);
  Command(ID_THUMB_LARGER);
  SetEvent(g_goOnEvent);
  ASSERT_TRUE(PumpUntil(
      [&] { return FileNames(dir_.Path(), "*.cpg").size() == 6 && Browser().thumbnailClaims.Count() == 0; }, 30000));
  for (const std::string& name : FileNames(dir_.Path(), "*.cpg"))
    EXPECT_EQ(JpegSize(dir_ / name), (PictureSize{192, 144})) << name;
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
  ASSERT_EQ(Viewers().windows.size(), 1u);
  EXPECT_EQ(static_cast<CViewerFrame*>(Viewers().windows.front())->PicturePath(), dir_ / "b.jpg");
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
  ASSERT_EQ(Viewers().windows.size(), 3u);
  EXPECT_EQ(static_cast<CViewerFrame*>(Viewers().windows.back())->PicturePath(), dir_ / "c.jpg");
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

// The worker waits before each file until the status bar has shown the count it has reached, so
// that every count is seen however fast the files are made.
std::atomic<DWORD> g_userInterfaceThread{0};
std::atomic<int> g_workerStarts{0};
std::atomic<int> g_countShown{-1};

void HoldWorkerUntilShown(const std::string&, bool starting) {
  if (!starting || GetCurrentThreadId() == g_userInterfaceThread) return;
  const int done = g_workerStarts++;
  for (DWORD waited = 0; g_countShown < done && waited < 5000; waited += 5) Sleep(5);
}

TEST_F(ListView, TheStatusBarCountsTheThumbnailsBeingMadeAndIsClearedAtTheEnd) {
  Command(ID_VIEW_DISPLAY_MODE);  // report mode: the worker makes every missing thumbnail
  // 12 photos, 4 of them with their thumbnail already: the worker has 8 to make, not 12.
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(WriteTestJpeg(dir_ / ("p" + std::to_string(i) + ".jpg"), 400, 300));
  for (int i = 0; i < 4; ++i) {
    const std::string image = dir_ / ("p" + std::to_string(i) + ".jpg");
    ASSERT_TRUE(MakeThumbnailFile(image, ThumbnailPathFor(image, Browser().appFolder)));
  }
  g_userInterfaceThread = GetCurrentThreadId();
  SetThumbnailWriteObserver(&HoldWorkerUntilShown);
  CStatusBar* status = Frame()->GetStatusBar();
  List(dir_.Path());
  ASSERT_EQ(list_->ItemCount(), 12);
  std::vector<int> counts;
  const bool ended = PumpUntil(
      [&] {
        int done = -1, total = -1;
        const std::string text = status->GetPaneText(1);
        if (!text.empty()) {
          EXPECT_EQ(std::sscanf(text.c_str(), "Making thumbnails: %d of %d", &done, &total), 2) << text;
          EXPECT_EQ(total, 8) << text;
          if (counts.empty() || counts.back() != done) counts.push_back(done);
          g_countShown = done;
        }
        return AfxRunningWorkerCount() == 0 && FileNames(dir_.Path(), "*.cpg").size() == 12;
      },
      30000);
  SetThumbnailWriteObserver(nullptr);
  ASSERT_TRUE(ended);
  EXPECT_EQ(counts, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  // Cleared once the worker has ended; the message pane keeps its own text.
  EXPECT_TRUE(PumpUntil([&] { return status->GetPaneText(1).empty(); }, 2000));
  EXPECT_EQ(status->GetPaneText(0), "Ready");
}

}  // namespace
