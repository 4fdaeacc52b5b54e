#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "browser/BrowserState.h"
#include "browser/ProgramFolders.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "navigation/Favorites.h"
#include "navigation/ProfileMruList.h"
#include "navigation/Shortcuts.h"
#include "tests/support/TempDir.h"

namespace {

constexpr char kTestKey[] = "Software\\Lumavex Tests\\Favorites";

using Names = std::vector<std::string>;

// What the shell says a shortcut file holds, read without our own reader.
struct LinkContents {
  std::string target;
  std::string description;
};
LinkContents ReadLink(const std::string& file) {
  LinkContents contents;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return contents;
  IPersistFile* persist = nullptr;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(wide, STGM_READ))) {
    char text[MAX_PATH] = "";
    if (link->GetPath(text, MAX_PATH, nullptr, 0) == S_OK) contents.target = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) contents.description = text;
  }
  if (persist) persist->Release();
  link->Release();
  return contents;
}

// The first bytes of a shell link file: header size 0x4C, then the link class id.
bool HasShellLinkHeader(const std::string& file) {
  static const unsigned char kHeader[20] = {0x4C, 0, 0,    0, 0x01, 0x14, 0x02, 0, 0, 0,
                                            0,    0, 0xC0, 0, 0,    0,    0,    0, 0, 0x46};
  std::string bytes = ReadTestFile(file);
  return bytes.size() > sizeof kHeader &&
         bytes.compare(0, sizeof kHeader, reinterpret_cast<const char*>(kHeader), sizeof kHeader) == 0;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

class FavoritesTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    app_.SetRegistryKey("Lumavex Tests");
    savedAppFolder_ = Browser().appFolder;
    Browser().appFolder = app_folder_.Path();
    MakeFolders(pictures_.Path());
  }
  void TearDown() override {
    Browser().appFolder = savedAppFolder_;
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    CoUninitialize();
  }

  std::string Picture(const std::string& name) {
    std::string path = pictures_ / name;
    WriteTestFile(path, "\xFF\xD8 not really a picture");
    return path;
  }
  Names Stored() {
    CProfileMruList list = FavoriteList();
    list.ReadList();
    Names names;
    for (const std::string& name : list.Names())
      if (!name.empty()) names.push_back(name);
    return names;
  }
  std::string Favorites(const std::string& name) { return FavoritesFolder() + "\\" + name; }

  CWinApp app_{"Favorites"};
  TempDir app_folder_;
  TempDir pictures_;
  std::string savedAppFolder_;
};

TEST_F(FavoritesTest, AShortcutIsARealShellLinkWithItsTargetAndDescription) {
  std::string target = Picture("harbour.jpg");
  std::string file = app_folder_ / "harbour.LNK";
  ASSERT_TRUE(CreateShortcut(file, target, "Shortcut toharbour.jpg"));
  EXPECT_TRUE(HasShellLinkHeader(file));
  LinkContents contents = ReadLink(file);
  EXPECT_TRUE(SamePath(contents.target, target)) << contents.target;
  EXPECT_EQ(contents.description, "Shortcut toharbour.jpg");
  EXPECT_TRUE(SamePath(ResolveShortcut(file), target));

  // An existing file of the name is overwritten.
  std::string other = Picture("other.jpg");
  ASSERT_TRUE(CreateShortcut(file, other, "Shortcut toother.jpg"));
  EXPECT_TRUE(SamePath(ResolveShortcut(file), other));
}

TEST_F(FavoritesTest, ResolvingFailsCleanlyForMissingBrokenAndEmptyShortcuts) {
  EXPECT_EQ(ResolveShortcut(app_folder_ / "missing.LNK"), "");
  EXPECT_EQ(ResolveShortcut(""), "");
  std::string garbage = app_folder_ / "garbage.LNK";
  WriteTestFile(garbage, std::string(300, 'x'));
  EXPECT_EQ(ResolveShortcut(garbage), "");
  std::string empty = app_folder_ / "empty.LNK";
  WriteTestFile(empty, "");
  EXPECT_EQ(ResolveShortcut(empty), "");
  // A path too long for the shell never reaches it.
  EXPECT_FALSE(CreateShortcut(app_folder_ / (std::string(300, 'a') + ".LNK"), Picture("a.jpg"), "x"));
}

TEST_F(FavoritesTest, TwoSelectedFilesMakeTwoShortcutsAndTheLaterNameLeads) {
  AddFileFavorites({Picture("a.jpg"), Picture("b.c.jpg")});
  EXPECT_EQ(Stored(), (Names{"b.c.jpg", "a.jpg"}));
  ASSERT_TRUE(Exists(Favorites("a.jpg.LNK")));
  ASSERT_TRUE(Exists(Favorites("b.c.jpg.LNK")));
  EXPECT_TRUE(HasShellLinkHeader(Favorites("b.c.jpg.LNK")));
  EXPECT_TRUE(Exists(Favorites(kProgramFolderMarker)));  // the program made the folder
  EXPECT_EQ(ReadLink(Favorites("a.jpg.LNK")).description, "Shortcut toa.jpg");
  EXPECT_EQ(ReadLink(Favorites("b.c.jpg.LNK")).description, "Shortcut tob.c.jpg");
  EXPECT_TRUE(SamePath(ReadLink(Favorites("b.c.jpg.LNK")).target, pictures_ / "b.c.jpg"));
}

TEST_F(FavoritesTest, TwoFavoritesNeverShareANameOrAShortcut) {
  std::string plain = Picture("a.jpg");
  std::string old = Picture("a.old.jpg");
  std::string holiday = pictures_ / "Holiday";
  MakeFolders(holiday);
  std::string holidayPicture = Picture("Holiday.jpg");
  TempDir other;
  std::string otherPlain = other / "a.jpg";
  WriteTestFile(otherPlain, "another a.jpg");
  AddFileFavorites({plain, old, holidayPicture, otherPlain});
  AddFolderFavorite(holiday);
  AddFileFavorites({plain});  // the same file again stays one favourite
  EXPECT_EQ(Stored(), (Names{"a.jpg", "Holiday", "a (2).jpg", "Holiday.jpg", "a.old.jpg"}));

  const std::pair<std::string, std::string> expected[] = {
      {"a.jpg", plain}, {"a (2).jpg", otherPlain}, {"a.old.jpg", old}, {"Holiday.jpg", holidayPicture}};
  FavoriteTarget target;
  for (const auto& [name, path] : expected) {
    ASSERT_TRUE(ResolveFavorite(name, target)) << name;
    EXPECT_FALSE(target.folder) << name;
    EXPECT_TRUE(SamePath(target.path, path)) << name << " " << target.path;
  }
  ASSERT_TRUE(ResolveFavorite("Holiday", target));
  EXPECT_TRUE(target.folder);
  EXPECT_TRUE(SamePath(target.path, holiday));
  EXPECT_EQ(FavoriteNameVariant("IMG_0001.JPG", false, 2), "IMG_0001 (2).JPG");
  EXPECT_EQ(FavoriteNameVariant("2001.Summer", true, 3), "2001.Summer (3)");
}

TEST_F(FavoritesTest, ShortcutsOfEarlierVersionsStillOpenAndAreNotTakenOver) {
  // An earlier version named a file favourite's shortcut by the text before its first '.'.
  std::string first = Picture("IMG.0001.jpg");
  std::string second = Picture("IMG.0002.jpg");
  MakeFolders(FavoritesFolder());
  ASSERT_TRUE(CreateShortcut(Favorites("IMG.LNK"), first, "Shortcut toIMG.0001.jpg"));
  ASSERT_TRUE(CreateShortcut(Favorites("beach.LNK"), second, "Shortcut tobeach.jpg"));
  CProfileMruList list = FavoriteList();
  list.ReadList();
  list.Add("beach.jpg");  // its shortcut now stands for another file: it opens nothing
  list.Add("IMG.0001.jpg");
  list.WriteList();
  FavoriteTarget target;
  ASSERT_TRUE(ResolveFavorite("IMG.0001.jpg", target));
  EXPECT_TRUE(SamePath(target.path, first));
  EXPECT_FALSE(ResolveFavorite("beach.jpg", target));

  // A folder named "IMG" would be saved as IMG.LNK, which the older favourite is still read from.
  std::string folder = pictures_ / "IMG";
  MakeFolders(folder);
  AddFolderFavorite(folder);
  EXPECT_EQ(Stored(), (Names{"IMG (2)", "IMG.0001.jpg", "beach.jpg"}));
  ASSERT_TRUE(ResolveFavorite("IMG.0001.jpg", target));
  EXPECT_TRUE(SamePath(target.path, first));
  ASSERT_TRUE(ResolveFavorite("IMG (2)", target));
  EXPECT_TRUE(SamePath(target.path, folder));
}

TEST_F(FavoritesTest, AFolderNamedWithADotIsFoundAsAFolder) {
  std::string folder = pictures_ / "2001.Summer";
  MakeFolders(folder);
  AddFolderFavorite(folder);
  EXPECT_EQ(Stored(), (Names{"2001.Summer"}));
  ASSERT_TRUE(Exists(Favorites("2001.Summer.LNK")));
  EXPECT_EQ(ReadLink(Favorites("2001.Summer.LNK")).description, "Shortcut to\\2001.Summer");
  FavoriteTarget target;
  ASSERT_TRUE(ResolveFavorite("2001.Summer", target));
  EXPECT_TRUE(target.folder);
  EXPECT_TRUE(SamePath(target.path, folder));

  // A shortcut written under the name cut at its first '.' is still read.
  DeleteFileA(Favorites("2001.Summer.LNK").c_str());
  ASSERT_TRUE(CreateShortcut(Favorites("2001.LNK"), folder, "Shortcut to\\2001.Summer"));
  ASSERT_TRUE(ResolveFavorite("2001.Summer", target));
  EXPECT_TRUE(target.folder);
}

TEST_F(FavoritesTest, ADriveRootGetsANameOfItsOwn) {
  EXPECT_EQ(FolderFavoriteName("C:\\"), "Drive C");
  EXPECT_EQ(FolderFavoriteName("d:"), "Drive d");
  EXPECT_EQ(FolderFavoriteName("C:\\Photos\\2001"), "2001");
  EXPECT_EQ(FolderFavoriteName("C:\\Photos\\"), "Photos");
  AddFolderFavorite("C:\\");
  EXPECT_EQ(Stored(), (Names{"Drive C"}));
  EXPECT_EQ(ReadLink(Favorites("Drive C.LNK")).description, "Shortcut to\\Drive C");
  FavoriteTarget target;
  ASSERT_TRUE(ResolveFavorite("Drive C", target));
  EXPECT_TRUE(target.folder);
  EXPECT_TRUE(SamePath(target.path, "C:\\"));
}

TEST_F(FavoritesTest, AFavoriteWithoutAUsableShortcutResolvesToNothing) {
  FavoriteTarget target;
  EXPECT_FALSE(ResolveFavorite("", target));
  EXPECT_FALSE(ResolveFavorite("never.jpg", target));  // no shortcut file at all
  std::string gone = Picture("gone.jpg");
  AddFileFavorites({gone});
  DeleteFileA(gone.c_str());
  EXPECT_FALSE(ResolveFavorite("gone.jpg", target));  // the target no longer exists
  MakeFolders(FavoritesFolder());
  WriteTestFile(Favorites("broken.LNK"), "not a link");
  EXPECT_FALSE(ResolveFavorite("broken", target));
}

TEST_F(FavoritesTest, AFavoriteWhoseShortcutCannotBeSavedIsNotAddedAndTheUserIsTold) {
  AddFileFavorites({Picture("kept.jpg")});
  // The application folder is a file: no folder can be made below it.
  std::string file = app_folder_ / "plain";
  WriteTestFile(file, "x");
  Browser().appFolder = file;
  MessageBoxRecorder boxes;
  AddFileFavorites({Picture("lost.jpg")});
  AddFolderFavorite(pictures_.Path());
  EXPECT_EQ(Stored(), (Names{"kept.jpg"}));
  std::vector<MessageBoxRecord> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0].text.find("lost.jpg"), std::string::npos) << shown[0].text;
  EXPECT_NE(shown[1].text.find(FolderFavoriteName(pictures_.Path())), std::string::npos) << shown[1].text;
}

}  // namespace
