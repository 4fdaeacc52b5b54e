#include <algorithm>
#include <string>
#include <vector>

#include "browser/ListMessages.h"
#include "image/JpegFile.h"
#include "navigation/DriveView.h"
#include "tests/navigation/TreeFixture.h"

namespace {

using Texts = std::vector<std::string>;

void MakeJpeg(const std::string& path) {
  std::vector<uint8_t> rgb(8 * 8 * 3, 200);
  ASSERT_TRUE(WriteJpegRgb(path.c_str(), rgb.data(), 8, 8, 75));
}

int ItemImage(CDriveView* tree, HTREEITEM item, int* selectedImage) {
  TVITEMA info{};
  info.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  info.hItem = item;
  tree->SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  *selectedImage = info.iSelectedImage;
  return info.iImage;
}

using DriveList = TreeTest;

TEST_F(DriveList, ShowsEachDriveByTypeInLetterOrderAndWatchesOnlyTheFixedOnes) {
  ASSERT_TRUE(MakeFolders("D:\\Photos"));
  Start();
  CDriveView* tree = Tree();
  ASSERT_NE(tree, nullptr);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(tree->m_hWnd, GWL_STYLE));
  EXPECT_EQ(style & 0x27u, 0x27u);
  ASSERT_NE(TreeMessage(TVM_GETIMAGELIST, TVSIL_NORMAL, nullptr), 0);
  EXPECT_EQ(ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(TreeMessage(TVM_GETIMAGELIST, TVSIL_NORMAL, nullptr))),
            7);

  Texts drives = Children(TVI_ROOT);
  EXPECT_EQ(drives, (Texts{"C:\\", "D:\\", "K:\\", "M:\\", "Z:\\"}));
  const struct {
    const char* root;
    int image;
  } expected[] = {{"C:\\", 0}, {"D:\\", 0}, {"K:\\", 2}, {"M:\\", 1}, {"Z:\\", 0}};
  for (const auto& drive : expected) {
    SCOPED_TRACE(drive.root);
    HTREEITEM item = tree->FindDriveItem(drive.root);
    ASSERT_NE(item, nullptr);
    int selected = -1;
    EXPECT_EQ(ItemImage(tree, item, &selected), drive.image);
    EXPECT_EQ(selected, drive.image);
  }
  // Removable and CD-ROM drives always offer to expand; an empty fixed drive would not.
  EXPECT_EQ(Children(Item("K:\\")), Texts{""});
  EXPECT_EQ(Children(Item("M:\\")), Texts{""});
  EXPECT_EQ(Children(Item("D:\\")), Texts{""});
  EXPECT_EQ(tree->VolumeSerials().Stored(kDriveK), 0x1111u);

  // One watcher per fixed drive: C:, D: and Z:.
  EXPECT_EQ(tree->Watchers().size(), 3u);

  // A second initial update changes nothing.
  tree->SendMessage(WM_INITIALUPDATE);
  EXPECT_EQ(Children(TVI_ROOT), drives);
  EXPECT_EQ(tree->Watchers().size(), 3u);
}

TEST_F(DriveList, FoldersAreReadOnExpansionSortedAndThrownAwayOnCollapse) {
  for (const char* folder : {"D:\\Photos\\Winter", "D:\\Photos\\Autumn\\Day1", "D:\\Photos\\Summer", "D:\\Music"})
    ASSERT_TRUE(MakeFolders(folder));
  ASSERT_TRUE(WriteTestFile("D:\\Photos\\notes.txt", "not a folder"));
  ASSERT_TRUE(MakeFolders("D:\\Photos\\.hidden"));
  SetFileAttributesA("D:\\Photos\\.hidden", FILE_ATTRIBUTE_HIDDEN);
  Start();

  HTREEITEM drive = Item("D:\\");
  ASSERT_TRUE(Expand(drive));
  EXPECT_EQ(Children(drive), (Texts{"Music", "Photos"}));
  HTREEITEM photos = Item("D:\\Photos");
  EXPECT_EQ(Tree()->ItemPath(photos), "D:\\Photos");
  ASSERT_TRUE(Expand(photos));
  // Files never show; hidden folders do; only folders with subfolders offer to expand.
  EXPECT_EQ(Children(photos), (Texts{".hidden", "Autumn", "Summer", "Winter"}));
  EXPECT_TRUE(HasButton(Item("D:\\Photos\\Autumn")));
  EXPECT_FALSE(HasButton(Item("D:\\Photos\\Summer")));
  EXPECT_EQ(Tree()->ItemPath(Item("D:\\Photos\\Autumn")), "D:\\Photos\\Autumn");

  // The user's collapse throws the children away and leaves the button.
  Choose(photos);
  Tree()->SendMessage(WM_KEYDOWN, VK_LEFT);
  EXPECT_FALSE(IsExpanded(photos));
  EXPECT_EQ(Children(photos), Texts{""});
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Spring"));
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", false));
  EXPECT_EQ(Children(photos), (Texts{".hidden", "Autumn", "Spring", "Summer", "Winter"}));

  // Collapsed without asking the tree: expanding it again reads the disk again all the same.
  TreeMessage(TVM_EXPAND, TVE_COLLAPSE, photos);
  ASSERT_TRUE(RemoveDirectoryA("D:\\Photos\\Spring"));
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", false));
  EXPECT_EQ(Children(photos), (Texts{".hidden", "Autumn", "Summer", "Winter"}));
}

using SelectFolderPath = TreeTest;

TEST_F(SelectFolderPath, IgnoresCaseAndATrailingBackslashAndFailsOnShortOrUnknownPaths) {
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Summer"));
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Autumn"));
  Start();

  EXPECT_FALSE(Tree()->SelectFolderPath("D:", true));
  EXPECT_FALSE(Tree()->SelectFolderPath("", true));
  EXPECT_FALSE(Tree()->SelectFolderPath("Q:\\Photos", true));
  EXPECT_FALSE(Tree()->SelectFolderPath("d:\\photos\\nothing", true));
  EXPECT_FALSE(Tree()->SelectFolderPath("d:\\photos\\summer\\deeper", true));
  const std::string before = SelectedPath();

  ASSERT_TRUE(Tree()->SelectFolderPath("d:\\photos\\summer\\", true));
  HTREEITEM summer = Selected();
  ASSERT_NE(summer, nullptr);
  EXPECT_NE(SelectedPath(), before);
  EXPECT_EQ(Tree()->ItemText(summer), "Summer");
  EXPECT_EQ(SelectedPath(), "D:\\Photos\\Summer");
  EXPECT_EQ(Tree()->CurrentFolder(), "D:\\Photos\\Summer");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\Photos\\Summer");
  EXPECT_EQ(Recent(1), "D:\\Photos\\Summer");

  // Without select nothing changes but the expansion; the same item again is no new choice.
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos\\Autumn", false));
  EXPECT_EQ(Selected(), summer);
  app_.WriteProfileString("RecentFolders", "RecentFolder1", "marker");
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\PHOTOS\\SUMMER", true));
  EXPECT_EQ(Recent(1), "marker");

  ASSERT_TRUE(Tree()->SelectFolderPath("d:\\", true));
  EXPECT_EQ(SelectedPath(), "D:\\");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\");
}

TEST_F(SelectFolderPath, TheStartFolderIsSelectedAndListedAndAnotherChoiceClearsThePreview) {
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Summer"));
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Autumn"));
  MakeJpeg("D:\\Photos\\Summer\\beach.jpg");
  SetStartFolder("D:\\Photos\\Summer");
  Start();

  EXPECT_EQ(SelectedPath(), "D:\\Photos\\Summer");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\Photos\\Summer");
  EXPECT_EQ(List()->ItemCount(), 1);

  Preview()->SetImage("D:\\Photos\\Summer\\beach.jpg");
  Choose(Item("D:\\Photos\\Autumn"));
  EXPECT_EQ(List()->CurrentFolder(), "D:\\Photos\\Autumn");
  EXPECT_EQ(List()->ItemCount(), 0);
  EXPECT_EQ(Preview()->Path(), "");
  EXPECT_EQ(Tree()->CurrentFolder(), "D:\\Photos\\Autumn");
  EXPECT_EQ(Recent(1), "D:\\Photos\\Autumn");
  EXPECT_EQ(Recent(2), "D:\\Photos\\Summer");
}

TEST_F(SelectFolderPath, ARecentFolderThatIsGoneSelectsNothing) {
  ASSERT_TRUE(MakeFolders("D:\\Photos"));
  SetStartFolder("D:\\Gone");
  Start();
  EXPECT_EQ(Selected(), nullptr);
  EXPECT_EQ(List()->CurrentFolder(), "");
  EXPECT_EQ(Frame()->ShownFolder(), "D:\\Gone");
}

using RecentFolders = TreeTest;

TEST_F(RecentFolders, ChoosingABAKeepsABAndASixthFolderDropsTheOldest) {
  for (const char* folder : {"D:\\A", "D:\\B", "D:\\C", "D:\\E", "D:\\F", "D:\\G"}) ASSERT_TRUE(MakeFolders(folder));
  Start();
  app_.DeleteProfileSection("RecentFolders");
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\A", true));
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\B", true));
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\A", true));
  EXPECT_EQ(Recent(1), "D:\\A");
  EXPECT_EQ(Recent(2), "D:\\B");
  EXPECT_EQ(Recent(3), "(none)");

  for (const char* folder : {"D:\\C", "D:\\E", "D:\\F", "D:\\G"}) ASSERT_TRUE(Tree()->SelectFolderPath(folder, true));
  EXPECT_EQ(Recent(1), "D:\\G");
  EXPECT_EQ(Recent(4), "D:\\C");
  EXPECT_EQ(Recent(5), "D:\\A");
  EXPECT_EQ(Recent(6), "(none)");

  // The next start opens the most recent folder.
  Restart();
  PumpMessages();
  EXPECT_EQ(SelectedPath(), "D:\\G");
}

using VanishedFolders = TreeTest;

TEST_F(VanishedFolders, AreDeletedWhenExpandedOrChosenWithoutAMessage) {
  for (const char* folder : {"D:\\Photos\\Autumn\\Day1", "D:\\Photos\\Summer", "D:\\Photos\\Winter"})
    ASSERT_TRUE(MakeFolders(folder));
  Start();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", true));
  const std::string listed = List()->CurrentFolder();

  // No messages are pumped in between, so no drive watcher gets there first.
  RemoveTree("D:\\Photos\\Autumn");
  EXPECT_FALSE(Expand(Item("D:\\Photos\\Autumn")));
  EXPECT_EQ(Item("D:\\Photos\\Autumn"), nullptr);

  RemoveTree("D:\\Photos\\Summer");
  Choose(Item("D:\\Photos\\Summer"));
  EXPECT_EQ(Item("D:\\Photos\\Summer"), nullptr);
  EXPECT_NE(Recent(1), "D:\\Photos\\Summer");
  EXPECT_TRUE(boxes_.Boxes().empty());

  // A folder whose subfolders went expands to nothing and loses its button.
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Winter\\Snow"));
  Tree()->SendMessage(kWmDriveChanged, kDriveD);
  ASSERT_TRUE(HasButton(Item("D:\\Photos\\Winter")));
  RemoveTree("D:\\Photos\\Winter\\Snow");
  EXPECT_FALSE(Expand(Item("D:\\Photos\\Winter")));
  EXPECT_FALSE(HasButton(Item("D:\\Photos\\Winter")));
  EXPECT_NE(Item("D:\\Photos\\Winter"), nullptr);
}

TEST_F(VanishedFolders, ARefreshMovesTheSelectionOutOfARunOfVanishedSiblingsToTheParent) {
  for (const char* folder : {"D:\\A\\Day1", "D:\\B", "D:\\C\\Sub", "D:\\Keep"}) ASSERT_TRUE(MakeFolders(folder));
  Start();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\C", false));
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\A\\Day1", true));
  app_.DeleteProfileSection("RecentFolders");

  // One refresh finds the selected folder's branch and its next siblings gone at once.
  for (const char* folder : {"D:\\A", "D:\\B", "D:\\C"}) RemoveTree(folder);
  Tree()->SendMessage(kWmDriveChanged, kDriveD);
  EXPECT_EQ(Children(Item("D:\\")), Texts{"Keep"});
  EXPECT_EQ(SelectedPath(), "D:\\");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\");
  EXPECT_EQ(ChosenFolders(), Texts{"D:\\"});
}

TEST_F(VanishedFolders, ChoosingAFolderWhoseParentWentTooSelectsTheNearestFolderLeft) {
  for (const char* folder : {"D:\\Photos\\Summer", "D:\\Photos\\Winter", "D:\\Zoo\\Lions\\Cubs"})
    ASSERT_TRUE(MakeFolders(folder));
  Start();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", true));
  app_.DeleteProfileSection("RecentFolders");

  RemoveTree("D:\\Photos");
  Choose(Item("D:\\Photos\\Summer"));
  EXPECT_EQ(Children(Item("D:\\")), Texts{"Zoo"});
  EXPECT_EQ(SelectedPath(), "D:\\");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\");
  EXPECT_EQ(ChosenFolders(), Texts{"D:\\"});

  // Expanding one that went: the same, and the expansion is refused.
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Zoo\\Lions", true));
  Tree()->SendMessage(WM_KEYDOWN, VK_LEFT);
  ASSERT_FALSE(IsExpanded(Item("D:\\Zoo\\Lions")));
  RemoveTree("D:\\Zoo");
  EXPECT_FALSE(Expand(Item("D:\\Zoo\\Lions")));
  EXPECT_EQ(Children(Item("D:\\")), Texts{});
  EXPECT_EQ(SelectedPath(), "D:\\");
}

TEST_F(VanishedFolders, CollapsingAroundTheSelectionChoosesTheCollapsedFolderOnly) {
  for (const char* folder : {"D:\\Photos\\Autumn", "D:\\Photos\\Summer", "D:\\Photos\\Winter"})
    ASSERT_TRUE(MakeFolders(folder));
  Start();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos\\Autumn", true));
  app_.DeleteProfileSection("RecentFolders");

  ClickButton(Item("D:\\Photos"));
  EXPECT_FALSE(IsExpanded(Item("D:\\Photos")));
  EXPECT_EQ(Children(Item("D:\\Photos")), Texts{""});
  EXPECT_EQ(SelectedPath(), "D:\\Photos");
  EXPECT_EQ(List()->CurrentFolder(), "D:\\Photos");
  EXPECT_EQ(ChosenFolders(), Texts{"D:\\Photos"});
}

TEST_F(VanishedFolders, PathsTooLongForTheFileFunctionsAreLeftAlone) {
  const std::string deep = "D:\\Deep\\" + std::string(150, 'a');
  const std::string deeper = deep + "\\" + std::string(150, 'b');
  ASSERT_TRUE(MakeFolders(deep));
  std::wstring wide = L"\\\\?\\" + std::wstring(deeper.begin(), deeper.end());
  ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
  Start();

  ASSERT_TRUE(Tree()->SelectFolderPath(deep, true));
  HTREEITEM longItem = Item(deeper);
  ASSERT_NE(longItem, nullptr);
  EXPECT_FALSE(HasButton(longItem));
  Choose(longItem);
  EXPECT_FALSE(Expand(longItem));
  Tree()->SendMessage(kWmDriveChanged, kDriveD);
  EXPECT_EQ(Item(deeper), longItem);
  EXPECT_EQ(List()->CurrentFolder(), deep);

  RemoveDirectoryW(wide.c_str());
}

using CdromDrive = TreeTest;

TEST_F(CdromDrive, WithoutADiscOffersToExpandButRefusesUntilADiscIsIn) {
  ASSERT_TRUE(DefineEmptyCdromDrive('K'));
  Start();
  HTREEITEM drive = Item("K:\\");
  ASSERT_NE(drive, nullptr);
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_FALSE(Expand(drive));
    EXPECT_FALSE(IsExpanded(drive));
    EXPECT_EQ(Children(drive), Texts{""});
  }
  // An empty path component never stands for the dummy child.
  HTREEITEM selected = Selected();
  EXPECT_FALSE(Tree()->SelectFolderPath("K:\\\\", true));
  EXPECT_EQ(Selected(), selected);

  // Wine reports the same serial for an empty drive and a disc without one of its own.
  TempDir album;
  ASSERT_TRUE(MakeFolders(album / "Album"));
  ASSERT_TRUE(DefineDrive('K', DRIVE_CDROM, album.Path()));
  ASSERT_TRUE(Expand(drive));
  EXPECT_EQ(Children(drive), Texts{"Album"});
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(CdromDrive, ASwappedDiscIsRefusedAndCollapsedOnceThenRead) {
  ASSERT_TRUE(MakeFolders(disc_ / "Holiday"));
  TempDir other;
  ASSERT_TRUE(MakeFolders(other / "Wedding"));
  Start();
  HTREEITEM drive = Item("K:\\");

  DefineDisc(other.Path(), 0x2222);
  EXPECT_FALSE(Expand(drive));
  EXPECT_EQ(Children(drive), Texts{""});
  ASSERT_TRUE(Expand(drive));
  EXPECT_EQ(Children(drive), Texts{"Wedding"});
  Choose(Item("K:\\Wedding"));
  EXPECT_EQ(List()->CurrentFolder(), "K:\\Wedding");

  // Choosing after a swap: refused, the drive collapses, nothing is listed.
  DefineDisc(disc_.Path(), 0x1111);
  Choose(drive);
  EXPECT_FALSE(IsExpanded(drive));
  EXPECT_EQ(Children(drive), Texts{""});
  EXPECT_EQ(List()->CurrentFolder(), "K:\\Wedding");
  EXPECT_EQ(Tree()->VolumeSerials().Stored(kDriveK), 0x1111u);
  ASSERT_TRUE(Expand(drive));
  EXPECT_EQ(Children(drive), Texts{"Holiday"});

  // A drive-changed message for a swapped disc collapses the drive as well.
  DefineDisc(other.Path(), 0x2222);
  Tree()->SendMessage(kWmDriveChanged, kDriveK);
  EXPECT_FALSE(IsExpanded(drive));
  EXPECT_EQ(Children(drive), Texts{""});
}

using ContextMenu = TreeTest;

struct MenuSnapshot {
  CDriveView* tree = nullptr;
  bool seen = false;
  bool open = false;
  std::vector<UINT> ids;
  std::string recentEntry;
};
MenuSnapshot g_menu;

void CALLBACK SnapshotAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_menu.seen = true;
  g_menu.open = g_menu.tree->ContextMenuOpen();
  if (HMENU popup = g_menu.tree->ContextSubmenu()) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i) g_menu.ids.push_back(GetMenuItemID(popup, i));
    char text[64] = "";
    GetMenuStringA(GetSubMenu(popup, 6), 0, text, sizeof text, MF_BYPOSITION);
    g_menu.recentEntry = text;
  }
  EndMenu();
}

TEST_F(ContextMenu, IsTrackedWithItsStateVisibleAndLeavesTheSelectionAlone) {
  ASSERT_TRUE(MakeFolders("D:\\Photos\\Summer"));
  Start();
  ASSERT_TRUE(Tree()->SelectFolderPath("D:\\Photos", true));
  HTREEITEM selected = Selected();

  g_menu = MenuSnapshot{};
  g_menu.tree = Tree();
  SetTimer(nullptr, 0, 300, SnapshotAndCloseMenu);
  NMHDR click{Tree()->m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID(Tree()->m_hWnd)), static_cast<UINT>(NM_RCLICK)};
  LRESULT handled =
      ::SendMessageA(GetParent(Tree()->m_hWnd), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
  PumpMessages();

  ASSERT_TRUE(g_menu.seen);
  EXPECT_NE(handled, 0);
  EXPECT_TRUE(g_menu.open);
  const UINT popupEntry = static_cast<UINT>(-1);
  EXPECT_EQ(g_menu.ids, (std::vector<UINT>{32787, 0, 32810, 0, 32776, 0, popupEntry}));
  EXPECT_EQ(g_menu.recentEntry, "Recent Folders List");
  EXPECT_FALSE(Tree()->ContextMenuOpen());
  EXPECT_EQ(Tree()->ContextSubmenu(), nullptr);
  EXPECT_EQ(Selected(), selected);
}

}  // namespace
