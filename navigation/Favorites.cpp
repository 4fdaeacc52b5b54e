#include "navigation/Favorites.h"

#include <windows.h>

#include "browser/BrowserState.h"
#include "navigation/ProfileMruList.h"
#include "navigation/Shortcuts.h"

namespace {

constexpr char kFavoritesFolderName[] = "Favorites";
constexpr char kShortcutExtension[] = ".LNK";
constexpr char kDescriptionPrefix[] = "Shortcut to";

// The text after the last backslash (all of it when there is none).
std::string LastComponent(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PrepareFavoritesFolder() {
  std::string folder = FavoritesFolder();
  // When it cannot be made the shortcuts fail, while the names still enter the list.
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

std::string FavoritesFolder() { return Browser().appFolder + "\\" + kFavoritesFolderName; }

std::string FolderFavoriteName(const std::string& folder) {
  std::string trimmed = folder;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  if (trimmed.size() == 2 && trimmed[1] == ':') return std::string("Drive ") + trimmed[0];
  return LastComponent(trimmed);
}

std::string FolderShortcutFile(const std::string& favoritesFolder, const std::string& name) {
  return favoritesFolder + "\\" + name + kShortcutExtension;
}

std::string FileShortcutFile(const std::string& favoritesFolder, const std::string& name) {
  return favoritesFolder + "\\" + LastComponent(name).substr(0, LastComponent(name).find('.')) + kShortcutExtension;
}

void AddFolderFavorite(const std::string& folder) {
  const std::string favorites = PrepareFavoritesFolder();
  const std::string name = FolderFavoriteName(folder);
  if (name.empty()) return;
  CProfileMruList list = FavoriteList();
  list.ReadList();
  list.Add(name);
  CreateShortcut(FolderShortcutFile(favorites, name), folder, std::string(kDescriptionPrefix) + "\\" + name);
  list.WriteList();
}

void AddFileFavorites(const std::vector<std::string>& paths) {
  const std::string favorites = PrepareFavoritesFolder();
  CProfileMruList list = FavoriteList();
  list.ReadList();
  for (const std::string& path : paths) {
    const std::string name = LastComponent(path);
    if (name.empty()) continue;
    list.Add(name);
    CreateShortcut(FileShortcutFile(favorites, name), path, kDescriptionPrefix + name);
  }
  list.WriteList();
}

bool ResolveFavorite(const std::string& name, FavoriteTarget& target) {
  if (name.empty()) return false;
  const std::string favorites = FavoritesFolder();
  const std::string candidates[] = {FolderShortcutFile(favorites, name), FileShortcutFile(favorites, name)};
  for (const std::string& shortcut : candidates) {
    std::string path = ResolveShortcut(shortcut);
    if (path.empty()) continue;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    target.path = path;
    target.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  }
  return false;
}
