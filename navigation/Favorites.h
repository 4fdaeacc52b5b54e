#pragma once
// Favourites: names in the profile list "Favorites" and one shortcut file per favourite in the
// folder "Favorites" of the application folder. A folder favourite is named by the folder's last
// component, a file favourite by the file's name; the shortcut file of a file favourite is named
// by the file name up to its first '.'. User-interface thread only, with COM initialised.
#include <string>
#include <vector>

// "<application folder>\Favorites".
std::string FavoritesFolder();

// The favourite name of a folder: its last component. A drive root ("C:\") has none and is named
// "Drive C", so that no empty name ever enters the list.
std::string FolderFavoriteName(const std::string& folder);
// The shortcut file of the folder favourite `name`: the favorites folder \ name ".LNK".
std::string FolderShortcutFile(const std::string& favoritesFolder, const std::string& name);
// The shortcut file of the file favourite `name`: the favorites folder \ (name up to its first
// '.') ".LNK".
std::string FileShortcutFile(const std::string& favoritesFolder, const std::string& name);

// Adds the folder `folder` to the favourites (the folder tree's command).
void AddFolderFavorite(const std::string& folder);
// Adds the files `paths` (full paths) to the favourites in their order, writing the list once
// (the list view's and the picture views' command).
void AddFileFavorites(const std::vector<std::string>& paths);

// What a favourite stands for.
struct FavoriteTarget {
  std::string path;
  bool folder = false;
};
// Finds the target of the favourite named `name`: the shortcut file of the full name first, then
// the one cut at the first '.', so that a folder named "2001.Summer" and a file "IMG.0001.jpg"
// are both found; whether it is a folder is asked of the target itself. False when no shortcut
// resolves to an existing file or folder.
bool ResolveFavorite(const std::string& name, FavoriteTarget& target);
