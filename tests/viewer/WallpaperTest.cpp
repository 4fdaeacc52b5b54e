#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "image/BmpCodec.h"
#include "image/JpegFile.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/ViewerList.h"
#include "viewer/Wallpaper.h"

namespace {

constexpr UINT kWallpaperCommand = 32797;
constexpr UINT kAddToFavoritesCommand = 32776;

void ExpectSize(WallpaperSize size, uint32_t width, uint32_t height, bool reduced) {
  EXPECT_EQ(size.width, width);
  EXPECT_EQ(size.height, height);
  EXPECT_EQ(size.reduced, reduced);
}

TEST(WallpaperSizeFor, TheCasesOfA1024By768Screen) {
  ExpectSize(WallpaperSizeFor(640, 480, 1024, 768), 640, 480, false);
  ExpectSize(WallpaperSizeFor(1024, 768, 1024, 768), 1024, 768, false);
  ExpectSize(WallpaperSizeFor(2048, 1536, 1024, 768), 1024, 768, true);
  // Only taller: bound by the height, the width lowered to a multiple of 4.
  ExpectSize(WallpaperSizeFor(1000, 1500, 1024, 768), 512, 768, true);
  ExpectSize(WallpaperSizeFor(1001, 1500, 1024, 768), 512, 767, true);
  ExpectSize(WallpaperSizeFor(1023, 1000, 1024, 768), 784, 766, true);  // trunc(785.66) = 785 -> 784
  // Wider: bound by the width, even when the result stays taller than the screen.
  ExpectSize(WallpaperSizeFor(1100, 300, 1024, 768), 1024, 279, true);
  ExpectSize(WallpaperSizeFor(3000, 4000, 1024, 768), 1024, 1365, true);
  ExpectSize(WallpaperSizeFor(2560, 1600, 1280, 1024), 1280, 800, true);
}

TEST(WallpaperSizeFor, NothingCanBeMadeOfEmptyOrHopelesslyThinPictures) {
  ExpectSize(WallpaperSizeFor(0, 0, 1024, 768), 0, 0, false);
  ExpectSize(WallpaperSizeFor(10, 0, 1024, 768), 0, 0, false);
  ExpectSize(WallpaperSizeFor(10, 10, 0, 768), 0, 0, false);
  // 768 / 4000 x 3 = 0.58: no column survives.
  EXPECT_EQ(WallpaperSizeFor(3, 4000, 1024, 768).width, 0u);
  // 768 / 1000 x 4 = 3.07, lowered to 0.
  EXPECT_EQ(WallpaperSizeFor(4, 1000, 1024, 768).width, 0u);
  // One pixel high and wider than the screen: the reduced height is 0.
  EXPECT_EQ(WallpaperSizeFor(5000, 1, 1024, 768).height, 0u);
}

// A picture with a red left half and a blue right half.
std::string WritePicture(const TempDir& dir, const std::string& name, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = x < width / 2 ? 230 : 10;
      p[2] = x < width / 2 ? 10 : 230;
    }
  std::string path = dir / name;
  EXPECT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 90));
  return path;
}

std::string RegisteredWallpaper() {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return "";
  return value;
}

std::string FolderOf(const std::string& file) { return file.substr(0, file.rfind('\\')); }

// No temporary bitmap is left in `folder`.
bool NoTemporaryIn(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\lvx*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  FindClose(search);
  return false;
}

bool CanCreateFilesIn(const std::string& folder) {
  const std::string probe = folder + "\\writable-probe.tmp";
  // One left by an earlier probe that the folder's change caught between creating and deleting.
  DeleteFileA(probe.c_str());
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

// Wine runs as root here, for whom every folder is writable: the Windows folder is made immutable
// (chattr +i, a Unix program that Wine starts for a Windows path of it) for as long as this lives,
// so that creating a file in it fails as it does for a standard user. Wine gives no handle to wait
// on for a Unix process: the effect is waited for.
class UnwritableWindowsFolder {
 public:
  UnwritableWindowsFolder() {
    made_ = Chattr("+i") && Await(false);
    if (!made_) Chattr("-i");
  }
  ~UnwritableWindowsFolder() {
    if (made_ && Chattr("-i")) Await(true);
  }
  bool Made() const { return made_; }

 private:
  static std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name"));
    wchar_t wide[MAX_PATH] = L"";
    if (!MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
    char* unix = toUnix ? toUnix(wide) : nullptr;
    if (!unix) return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
  }
  bool Chattr(const char* flag) {
    const std::string folder = UnixPath(FolderOf(WallpaperFile()));
    if (folder.empty()) return false;
    std::string command = std::string("chattr ") + flag + " \"" + folder + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA("Z:\\usr\\bin\\chattr", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
      return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
  static bool Await(bool writable) {
    for (int i = 0; i < 100; ++i) {
      if (CanCreateFilesIn(FolderOf(WallpaperFile())) == writable) return true;
      Sleep(50);
    }
    return false;
  }
  bool made_ = false;
};

class Wallpaper : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    DeleteFileA(WallpaperFile().c_str());
    DeleteFileA(UserWallpaperFile().c_str());
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", REG_SZ, "", 1);
  }
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(Viewers().windows.begin(), Viewers().windows.end()))
      viewer->SendMessage(WM_CLOSE);
    PumpMessages();
    DeleteFileA(WallpaperFile().c_str());
    DeleteFileA(UserWallpaperFile().c_str());
  }
  TempDir dir_;
  MessageBoxRecorder boxes_;
};

TEST_F(Wallpaper, AWidePictureIsReducedToTheScreenWidthAndRegistered) {
  std::string path = WritePicture(dir_, "wide.jpg", 2560, 1600);
  ASSERT_TRUE(SetAsWallpaper(path));
  std::string file = WallpaperFile();
  EXPECT_EQ(file.substr(file.rfind('\\') + 1), "Luma Vex.bmp");
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(file, std::string(windows) + "\\Luma Vex.bmp");
  EXPECT_EQ(RegisteredWallpaper(), file);

  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  PixelBlock rgb = codec.ReadBmp(file.c_str(), width, height);
  ASSERT_TRUE(rgb) << codec.LastError();
  EXPECT_EQ(width, 1280u);
  EXPECT_EQ(height, 800u);
  // Colours and sides survive: red on the left, blue on the right, top row first.
  const uint8_t* left = &rgb[(static_cast<size_t>(10) * width + 100) * 3];
  const uint8_t* right = &rgb[(static_cast<size_t>(790) * width + 1200) * 3];
  EXPECT_GT(left[0], 200);
  EXPECT_LT(left[2], 50);
  EXPECT_GT(right[2], 200);
  EXPECT_LT(right[0], 50);
  // 24-bit rows of 3840 bytes, no padding needed: 54 + 3840 x 800 bytes.
  EXPECT_EQ(ReadTestFile(file).size(), 54u + 3840u * 800u);
}

TEST_F(Wallpaper, ASmallPictureKeepsItsSize) {
  ASSERT_TRUE(SetAsWallpaper(WritePicture(dir_, "small.jpg", 321, 123)));
  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  EXPECT_TRUE(codec.ReadBmp(WallpaperFile().c_str(), width, height));
  EXPECT_EQ(width, 321u);
  EXPECT_EQ(height, 123u);
}

TEST_F(Wallpaper, FailuresLeaveTheCurrentWallpaperAlone) {
  ASSERT_TRUE(SetAsWallpaper(WritePicture(dir_, "first.jpg", 64, 32)));
  const std::string before = ReadTestFile(WallpaperFile());
  ASSERT_EQ(before.size(), 54u + 192u * 32u);

  std::string broken = dir_ / "broken.jpg";
  WriteTestFile(broken, "this is not a picture");
  RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", REG_SZ, "C:\\kept.bmp", 12);
  EXPECT_FALSE(SetAsWallpaper(broken));
  EXPECT_FALSE(SetAsWallpaper(dir_ / "missing.jpg"));
  // Too thin to keep a column at the screen's height.
  EXPECT_FALSE(SetAsWallpaper(WritePicture(dir_, "thin.jpg", 2, 2000)));
  EXPECT_EQ(RegisteredWallpaper(), "C:\\kept.bmp");
  EXPECT_EQ(ReadTestFile(WallpaperFile()), before);
  EXPECT_TRUE(boxes_.Boxes().empty());

  // Neither bitmap can be replaced (each held open without sharing): the user is told, both stay
  // whole, and no temporary file is left behind.
  const std::string userFile = UserWallpaperFile();
  CreateDirectoryA(FolderOf(userFile).c_str(), nullptr);
  ASSERT_TRUE(WriteTestFile(userFile, "the user's bitmap"));
  HANDLE held = CreateFileA(WallpaperFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE heldUser = CreateFileA(userFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_NE(heldUser, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetAsWallpaper(WritePicture(dir_, "second.jpg", 80, 40)));
  CloseHandle(held);
  CloseHandle(heldUser);
  EXPECT_EQ(ReadTestFile(WallpaperFile()), before);
  EXPECT_EQ(ReadTestFile(userFile), "the user's bitmap");
  EXPECT_EQ(RegisteredWallpaper(), "C:\\kept.bmp");
  EXPECT_TRUE(NoTemporaryIn(FolderOf(WallpaperFile())));
  EXPECT_TRUE(NoTemporaryIn(FolderOf(userFile)));
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text,
            "The picture was not set as wallpaper: its bitmap could be written neither into the Windows folder nor "
            "into \"" +
                userFile + "\".");
}

TEST_F(Wallpaper, AWindowsFolderThatCannotBeWrittenGivesTheUsersOwnFolderTheBitmap) {
  const std::string userFile = UserWallpaperFile();
  char localData[MAX_PATH] = "";
  ASSERT_GT(GetEnvironmentVariableA("LOCALAPPDATA", localData, MAX_PATH), 0u);
  EXPECT_EQ(userFile, std::string(localData) + "\\Lumavex\\Luma Vex.bmp");
  RemoveDirectoryA(FolderOf(userFile).c_str());
  {
    UnwritableWindowsFolder readOnly;
    ASSERT_TRUE(readOnly.Made()) << "chattr +i did not make the Windows folder unwritable";
    EXPECT_TRUE(SetAsWallpaper(WritePicture(dir_, "user.jpg", 64, 32)));
  }
  EXPECT_EQ(GetFileAttributesA(WallpaperFile().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RegisteredWallpaper(), userFile);
  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  EXPECT_TRUE(codec.ReadBmp(userFile.c_str(), width, height));
  EXPECT_EQ(width, 64u);
  EXPECT_TRUE(boxes_.Boxes().empty());
  // Writable again: the Windows folder is the first choice.
  EXPECT_TRUE(SetAsWallpaper(WritePicture(dir_, "windows.jpg", 64, 32)));
  EXPECT_EQ(RegisteredWallpaper(), WallpaperFile());
}

// The items of the context menu that a view tracks, read while it is open on screen; the menu
// is then closed with Escape.
struct ContextMenuRun {
  std::vector<UINT> ids;
  std::vector<bool> enabled;
  bool seen = false;
};
ContextMenuRun* g_run = nullptr;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND window = FindWindowA("#32768", nullptr);
  if (!window || !g_run) {
    EndMenu();
    return;
  }
  auto menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
  g_run->seen = menu != nullptr;
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    g_run->ids.push_back(GetMenuItemID(menu, i));
    g_run->enabled.push_back(!(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED));
  }
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
}

ContextMenuRun OpenContextMenu(CWnd* view) {
  ContextMenuRun run;
  g_run = &run;
  SetTimer(nullptr, 0, 200, ReadOpenMenu);
  RECT r;
  GetWindowRect(view->m_hWnd, &r);
  view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->m_hWnd), MAKELPARAM(r.left + 20, r.top + 20));
  PumpMessages();
  g_run = nullptr;
  return run;
}

// A command chosen from the view's context menu, as the menu hands it to the view's frame.
void Choose(CWnd* view, UINT id) { SendMessageA(GetParent(view->m_hWnd), WM_COMMAND, id, 0); }

TEST_F(Wallpaper, AViewerWindowsContextMenuSetsItsPictureAsWallpaper) {
  std::string path = WritePicture(dir_, "viewer.jpg", 200, 100);
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  ContextMenuRun run = OpenContextMenu(viewer->View());
  ASSERT_TRUE(run.seen);
  ASSERT_EQ(run.ids.size(), 6u);
  EXPECT_EQ(run.ids[0], kWallpaperCommand);
  EXPECT_EQ(run.ids[2], kAddToFavoritesCommand);
  EXPECT_TRUE(run.enabled[0]);
  EXPECT_TRUE(run.enabled[2]);
  Choose(viewer->View(), kWallpaperCommand);
  EXPECT_EQ(RegisteredWallpaper(), WallpaperFile());
  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  EXPECT_TRUE(codec.ReadBmp(WallpaperFile().c_str(), width, height));
  EXPECT_EQ(width, 200u);
}

TEST_F(Wallpaper, AnEmptyPictureViewOffersNeitherWallpaperNorFavorites) {
  std::string path = WritePicture(dir_, "empty.jpg", 50, 50);
  CViewerFrame* viewer = OpenViewer(path);
  ASSERT_NE(viewer, nullptr);
  viewer->View()->SetImage("");
  ContextMenuRun run = OpenContextMenu(viewer->View());
  ASSERT_TRUE(run.seen);
  ASSERT_EQ(run.ids.size(), 6u);
  EXPECT_FALSE(run.enabled[0]);
  EXPECT_FALSE(run.enabled[2]);
  // A disabled command never runs, also when it arrives anyway.
  Choose(viewer->View(), kWallpaperCommand);
  EXPECT_EQ(RegisteredWallpaper(), "");
}

}  // namespace
