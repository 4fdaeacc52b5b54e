#pragma once
// Favourites: names in the profile list "Favorites" and one shortcut file per favourite in the
// folder "Favorites" of the application folder. A folder favourite is named by the folder's last
// component, a file favourite by the file's name; a name another favourite already holds for a
// different target gets a variant ("IMG_0001 (2).JPG"). A favourite's shortcut file is its name
// followed by ".LNK"; earlier versions named a file favourite's shortcut by the name up to its
// first '.', and those are still read. User-interface thread only, with COM initialised.
#include <string>
#include <vector>

// "<application folder>\Favorites".
std::string FavoritesFolder();

// The favourite name of a folder: its last component. A drive root ("C:\") has none and is named
// "Drive C", so that no empty name ever enters the list.
std::string FolderFavoriteName(const std::string& folder);
// The shortcut file of the favourite `name`: the favorites folder \ name ".LNK".
std::string ShortcutFileOf(const std::string& favoritesFolder, const std::string& name);
// The `number`th name for a favourite whose own name is `name`: the name itself for 1, else
// " (number)" before a file's extension or after a folder's name.
std::string FavoriteNameVariant(const std::string& name, bool folder, int number);

// Adds the folder `folder` to the favourites (the folder tree's command).
void AddFolderFavorite(const std::string& folder);
// Adds the files `paths` (full paths) to the favourites in their order, writing the list once
// (the list view's and the picture views' command). A favourite whose shortcut cannot be saved
// does not enter the list; the user is told once, after the list is written.
void AddFileFavorites(const std::vector<std::string>& paths);

// What a favourite stands for.
struct FavoriteTarget {
  std::string path;
  bool folder = false;
};
// Finds the target of the favourite named `name`: its own shortcut file, else the one an earlier
// version wrote under the name cut at its first '.' as long as that one still stands for a file
// or folder of this name; whether it is a folder is asked of the target itself. False when no
// shortcut resolves to an existing file or folder.
bool ResolveFavorite(const std::string& name, FavoriteTarget& target);
