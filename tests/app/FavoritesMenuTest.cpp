#include <string>
#include <vector>

#include "app/Resource.h"
#include "browser/BrowserState.h"
#include "browser/MyListView.h"
#include "image/BmpCodec.h"
#include "image/JpegFile.h"
#include "navigation/DriveView.h"
#include "navigation/Favorites.h"
#include "navigation/ProfileMruList.h"
#include "tests/app/AppFixture.h"
#include "tests/support/TempDir.h"
#include "viewer/MyScrollView.h"
#include "viewer/Wallpaper.h"

namespace {

using Texts = std::vector<std::string>;

constexpr int kFavoritesMenu = 2;  // position of "F&avorites" in the menu bar

struct MenuItem {
  UINT id;
  std::string text;
  bool enabled;
};
std::vector<MenuItem> ItemsOf(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    char text[300] = "";
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    bool enabled = !(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
    items.push_back({GetMenuItemID(menu, i), text, enabled});
  }
  return items;
}
Texts TextsOf(const std::vector<MenuItem>& items) {
  Texts texts;
  for (const MenuItem& item : items) texts.push_back(item.text);
  return texts;
}

// The menu shown on screen, read while it is open, then closed with Escape.
std::vector<MenuItem>* g_shown = nullptr;

void CALLBACK ReadShownMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND window = FindWindowA("#32768", nullptr);
  if (!window || !g_shown) {
    EndMenu();
    return;
  }
  *g_shown = ItemsOf(reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)));
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
}

// Opens the menu bar's Favorites menu on screen, owned by the frame, and reads what it shows.
std::vector<MenuItem> ShowFavoritesMenu(CMainFrame* frame) {
  std::vector<MenuItem> shown;
  g_shown = &shown;
  SetTimer(nullptr, 0, 300, ReadShownMenu);
  RECT r;
  GetWindowRect(frame->m_hWnd, &r);
  TrackPopupMenu(GetSubMenu(GetMenu(frame->m_hWnd), kFavoritesMenu), TPM_LEFTALIGN, r.left + 200, r.top + 60, 0,
                 frame->m_hWnd, nullptr);
  PumpMessages();
  g_shown = nullptr;
  return shown;
}

// Builds `popup` as the frame does when it opens, and reads it back.
std::vector<MenuItem> Opened(CMainFrame* frame, HMENU popup) {
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  return ItemsOf(popup);
}

HMENU RecentFoldersMenu(CMainFrame* frame) { return GetSubMenu(GetSubMenu(GetMenu(frame->m_hWnd), 0), 9); }

std::string WritePicture(const std::string& path, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 128);
  EXPECT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), width, height, 75));
  return path;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

class FavoritesMenu : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(app_.InitInstance());
    Browser().appFolder = appFolder_.Path();
    PumpMessages();
    // The start folder is the first recent folder; each test begins with none.
    app_.DeleteProfileSection("RecentFolders");
  }
  void TearDown() override {
    for (CWnd* viewer : std::vector<CWnd*>(Viewers().windows.begin(), Viewers().windows.end()))
      viewer->SendMessage(WM_CLOSE);
    PumpMessages();
    AppTest::TearDown();
  }
  Texts Stored(CProfileMruList list) {
    list.ReadList();
    Texts names;
    for (const std::string& name : list.Names())
      if (!name.empty()) names.push_back(name);
    return names;
  }
  std::string Folder(const std::string& name) {
    std::string path = pictures_ / name;
    MakeFolders(path);
    return path;
  }
  // Shows `folder` in the tree and waits for its listing.
  void ChooseFolder(const std::string& folder) {
    Frame()->ShowFolder(folder);
    PumpMessages();
  }
  CMyListView* List() { return Frame()->ListView(); }
  void SelectItems(std::initializer_list<int> items) {
    for (int index : items) {
      LVITEMA state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      List()->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    }
  }
  bool Enabled(UINT id) { return Frame()->IsCommandEnabled(id); }

  TempDir appFolder_;
  TempDir pictures_;
};

TEST_F(FavoritesMenu, WithoutFavoritesTheMenuShowsThePlaceholderDisabled) {
  std::vector<MenuItem> items = ShowFavoritesMenu(Frame());
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "&Add to Favorites\tF7");
  EXPECT_EQ(items[2].text, "Favorites List");
  EXPECT_EQ(items[2].id, static_cast<UINT>(ID_FAVORITE_FIRST));
  EXPECT_FALSE(items[2].enabled);
  EXPECT_FALSE(Enabled(ID_FAVORITE_FIRST));
}

TEST_F(FavoritesMenu, AFolderAndAFileAreListedAndOpenedFromTheMenu) {
  std::string folder = Folder("Rock & Roll");
  std::string picture = WritePicture(pictures_ / "IMG.0001.jpg", 120, 80);
  ChooseFolder(folder);
  Command(ID_FAVORITES_ADD);  // the tree is the active pane: its folder
  AddFileFavorites({picture});
  EXPECT_EQ(Stored(FavoriteList()), (Texts{"IMG.0001.jpg", "Rock & Roll"}));

  std::vector<MenuItem> items = ShowFavoritesMenu(Frame());
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(TextsOf(items), (Texts{"&Add to Favorites\tF7", "", "IMG.0001.jpg", "Rock && Roll"}));
  EXPECT_EQ(items[2].id, static_cast<UINT>(ID_FAVORITE_FIRST));
  EXPECT_EQ(items[3].id, static_cast<UINT>(ID_FAVORITE_FIRST + 1));
  EXPECT_TRUE(items[2].enabled);
  EXPECT_TRUE(items[3].enabled);

  // The file opens in a viewer window.
  Command(ID_FAVORITE_FIRST);
  PumpMessages();
  ASSERT_EQ(Viewers().windows.size(), 1u);
  auto* viewer = static_cast<CViewerFrame*>(Viewers().windows.front());
  EXPECT_TRUE(SamePath(viewer->PicturePath(), picture));
  EXPECT_EQ(viewer->GetWindowText(), "IMG.0001.jpg");

  // The folder is shown in the tree.
  ChooseFolder(pictures_.Path());
  Command(ID_FAVORITE_FIRST + 1);
  PumpMessages();
  EXPECT_TRUE(SamePath(Frame()->DriveView()->CurrentFolder(), folder)) << Frame()->DriveView()->CurrentFolder();
}

TEST_F(FavoritesMenu, ItemsAfterTheEntriesStillFollowTheirRules) {
  AddFileFavorites({WritePicture(pictures_ / "one.jpg", 16, 16), WritePicture(pictures_ / "two.jpg", 16, 16),
                    WritePicture(pictures_ / "three.jpg", 16, 16)});
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, ID_FAVORITE_FIRST, "Favorites List");
  AppendMenuA(popup, MF_STRING | MF_GRAYED, ID_VIEW_REFRESH, "&Refresh");
  std::vector<MenuItem> items = Opened(Frame(), popup);
  DestroyMenu(popup);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(TextsOf(items), (Texts{"three.jpg", "two.jpg", "one.jpg", "&Refresh"}));
  // The update went on over the grown menu: Refresh, now the fourth item, was enabled by its rule.
  EXPECT_TRUE(items[3].enabled);
}

TEST_F(FavoritesMenu, CommandsPastTheListsDoNothing) {
  AddFileFavorites({WritePicture(pictures_ / "only.jpg", 16, 16)});
  for (UINT id : {ID_FAVORITE_FIRST + 1, ID_FAVORITE_FIRST + 50, ID_FAVORITE_FIRST + 60, ID_FAVORITE_LAST}) {
    EXPECT_FALSE(Enabled(id)) << id;
    Command(id);
  }
  // Made before the tree reads their parent.
  std::vector<std::string> folders;
  for (int i = 0; i < 5; ++i) folders.push_back(Folder("F" + std::to_string(i)));
  for (const std::string& folder : folders) ChooseFolder(folder);
  ASSERT_EQ(Stored(RecentFolderList()).size(), 5u);
  EXPECT_TRUE(Enabled(ID_RECENT_FOLDER_FIRST + 4));
  EXPECT_FALSE(Enabled(ID_RECENT_FOLDER_LAST));  // the sixth routed id has no slot
  std::string shown = Frame()->DriveView()->CurrentFolder();
  Command(ID_RECENT_FOLDER_LAST);
  PumpMessages();
  EXPECT_EQ(Frame()->DriveView()->CurrentFolder(), shown);
  EXPECT_TRUE(Viewers().windows.empty());
}

TEST_F(FavoritesMenu, AMissingShortcutFileMakesTheFavoriteDoNothing) {
  std::string picture = WritePicture(pictures_ / "lost.jpg", 16, 16);
  AddFileFavorites({picture});
  ASSERT_TRUE(DeleteFileA((FavoritesFolder() + "\\lost.jpg.LNK").c_str()));
  std::string shown = Frame()->DriveView()->CurrentFolder();
  Command(ID_FAVORITE_FIRST);
  PumpMessages();
  EXPECT_TRUE(Viewers().windows.empty());
  EXPECT_EQ(Frame()->DriveView()->CurrentFolder(), shown);
}

TEST_F(FavoritesMenu, AFolderNamedWithADotIsShownAsAFolder) {
  std::string folder = Folder("2001.Summer");
  ChooseFolder(folder);
  Command(ID_FAVORITES_ADD);
  EXPECT_EQ(Stored(FavoriteList()), (Texts{"2001.Summer"}));
  ChooseFolder(pictures_.Path());
  Command(ID_FAVORITE_FIRST);
  PumpMessages();
  EXPECT_TRUE(SamePath(Frame()->DriveView()->CurrentFolder(), folder));
  EXPECT_TRUE(Viewers().windows.empty());
}

TEST_F(FavoritesMenu, ADriveRootIsAFavoriteWithAName) {
  ChooseFolder("C:\\");
  ASSERT_EQ(Frame()->DriveView()->CurrentFolder().substr(0, 2), "C:");
  Command(ID_FAVORITES_ADD);
  EXPECT_EQ(Stored(FavoriteList()), (Texts{"Drive C"}));
  std::vector<MenuItem> items = Opened(Frame(), GetSubMenu(GetMenu(Frame()->m_hWnd), kFavoritesMenu));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2].text, "Drive C");
}

TEST_F(FavoritesMenu, RecentFoldersAreListedInTheFileMenuAndTheTreesMenu) {
  std::string a = Folder("A");
  std::string b = Folder("B & C");
  ChooseFolder(a);
  ChooseFolder(b);
  ChooseFolder(a);
  Texts recent = Stored(RecentFolderList());
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_TRUE(SamePath(recent[0], a));
  EXPECT_TRUE(SamePath(recent[1], b));

  std::vector<MenuItem> items = Opened(Frame(), RecentFoldersMenu(Frame()));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].id, static_cast<UINT>(ID_RECENT_FOLDER_FIRST + 1));
  EXPECT_EQ(items[1].text.substr(items[1].text.rfind('\\') + 1), "B && C");

  // The tree's context menu has a Recent Folders submenu of its own.
  HMENU context = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXT_TREE));
  HMENU treeRecent = GetSubMenu(GetSubMenu(context, 0), 6);
  std::vector<MenuItem> treeItems = Opened(Frame(), treeRecent);
  DestroyMenu(context);
  EXPECT_EQ(TextsOf(treeItems), TextsOf(items));

  Command(ID_RECENT_FOLDER_FIRST + 1);
  PumpMessages();
  EXPECT_TRUE(SamePath(Frame()->DriveView()->CurrentFolder(), b));
  // Opening the menu again after the list changed shows the new order, still two entries.
  items = Opened(Frame(), RecentFoldersMenu(Frame()));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(SamePath(items[0].text, MenuTextOfEntry(b)));
}

TEST_F(FavoritesMenu, TheListAddsItsSelectedFilesInItemOrder) {
  std::string folder = Folder("List");
  WritePicture(folder + "\\a.jpg", 16, 16);
  WritePicture(folder + "\\b.c.jpg", 16, 16);
  WritePicture(folder + "\\d.jpg", 16, 16);
  ChooseFolder(folder);
  ASSERT_EQ(List()->ItemCount(), 3);
  Frame()->SetActiveView(List());
  SelectItems({1, 0});
  Command(ID_FAVORITES_ADD);
  EXPECT_EQ(Stored(FavoriteList()), (Texts{"b.c.jpg", "a.jpg"}));
  EXPECT_NE(GetFileAttributesA((FavoritesFolder() + "\\a.jpg.LNK").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA((FavoritesFolder() + "\\b.c.jpg.LNK").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FavoritesMenu, OneFileNameFromTwoFoldersMakesTwoFavoritesEachOpeningItsOwnFile) {
  std::string a = Folder("A");
  std::string b = Folder("B");
  std::string inA = WritePicture(a + "\\IMG_0001.JPG", 40, 30);
  std::string inB = WritePicture(b + "\\IMG_0001.JPG", 30, 40);
  for (const std::string& folder : {a, b, a}) {
    ChooseFolder(folder);
    ASSERT_EQ(List()->ItemCount(), 1);
    Frame()->SetActiveView(List());
    SelectItems({0});
    Command(ID_FAVORITES_ADD);
  }
  std::vector<MenuItem> items = ShowFavoritesMenu(Frame());
  EXPECT_EQ(TextsOf(items), (Texts{"&Add to Favorites\tF7", "", "IMG_0001.JPG", "IMG_0001 (2).JPG"}));

  const std::pair<UINT, std::string> expected[] = {{ID_FAVORITE_FIRST, inA}, {ID_FAVORITE_FIRST + 1, inB}};
  for (const auto& [id, picture] : expected) {
    Command(id);
    PumpMessages();
    ASSERT_FALSE(Viewers().windows.empty());
    auto* viewer = static_cast<CViewerFrame*>(Viewers().windows.back());
    EXPECT_TRUE(SamePath(viewer->PicturePath(), picture)) << viewer->PicturePath();
  }
  EXPECT_EQ(Viewers().windows.size(), 2u);
}

TEST_F(FavoritesMenu, ThePreviewOffersWallpaperAndFavoritesOnlyWithAPicture) {
  std::string folder = Folder("Preview");
  std::string picture = WritePicture(folder + "\\shown.jpg", 64, 48);
  CMyScrollView* preview = Frame()->Preview();
  Frame()->SetActiveView(preview);
  preview->SetImage("");
  EXPECT_FALSE(Enabled(ID_FAVORITES_ADD));
  EXPECT_FALSE(Enabled(ID_VIEW_WALLPAPER));

  preview->SetImage(picture);
  EXPECT_TRUE(Enabled(ID_FAVORITES_ADD));
  EXPECT_TRUE(Enabled(ID_VIEW_WALLPAPER));
  Command(ID_FAVORITES_ADD);
  EXPECT_EQ(Stored(FavoriteList()), (Texts{"shown.jpg"}));
  DeleteFileA(WallpaperFile().c_str());
  Command(ID_VIEW_WALLPAPER);
  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  EXPECT_TRUE(codec.ReadBmp(WallpaperFile().c_str(), width, height));
  EXPECT_EQ(width, 64u);
  EXPECT_EQ(height, 48u);
  DeleteFileA(WallpaperFile().c_str());
}

TEST_F(FavoritesMenu, TheFrameSetsTheListsFocusedFileAsWallpaper) {
  std::string folder = Folder("Wall");
  WritePicture(folder + "\\one.jpg", 40, 20);
  WritePicture(folder + "\\two.jpg", 30, 60);
  ChooseFolder(folder);
  ASSERT_EQ(Frame()->GetActiveView(), Frame()->DriveView());
  EXPECT_FALSE(Enabled(ID_VIEW_WALLPAPER));  // no item is focused yet
  SelectItems({1});
  ASSERT_EQ(List()->FocusedItem(), 1);
  EXPECT_TRUE(Enabled(ID_VIEW_WALLPAPER));
  DeleteFileA(WallpaperFile().c_str());
  Command(ID_VIEW_WALLPAPER);
  BmpCodec codec;
  uint32_t width = 0;
  uint32_t height = 0;
  EXPECT_TRUE(codec.ReadBmp(WallpaperFile().c_str(), width, height));
  EXPECT_EQ(width, 30u);
  EXPECT_EQ(height, 60u);
  DeleteFileA(WallpaperFile().c_str());
}

}  // namespace
