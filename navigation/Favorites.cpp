#include "navigation/Favorites.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "browser/BrowserState.h"
#include "browser/ProgramFolders.h"
#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "navigation/ProfileMruList.h"
#include "navigation/Shortcuts.h"

namespace {

constexpr char kFavoritesFolderName[] = "Favorites";
constexpr char kShortcutExtension[] = ".LNK";
constexpr char kDescriptionPrefix[] = "Shortcut to";
// More variants than the list has slots, so a free one is always found.
constexpr int kMaxNameVariants = 200;

// The text after the last backslash (all of it when there is none).
std::string LastComponent(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The path in its long form when it exists, without a trailing backslash except at a drive root.
std::string ComparablePath(const std::string& path) {
  char longPath[kPathBytes] = "";
  DWORD length = GetLongPathNameA(path.c_str(), longPath, kPathBytes);
  std::string result = length > 0 && length < kPathBytes ? std::string(longPath, length) : path;
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

bool SameTarget(const std::string& a, const std::string& b) { return SameText(ComparablePath(a), ComparablePath(b)); }

// The shortcut file earlier versions wrote for a file favourite: the name up to its first '.'.
std::string EarlierShortcutFileOf(const std::string& favoritesFolder, const std::string& name) {
  std::string file = LastComponent(name);
  return ShortcutFileOf(favoritesFolder, file.substr(0, file.find('.')));
}

// A favourite as its shortcut holds it: the shortcut file it is read from and the target path
// written there (which may no longer exist).
struct StoredFavorite {
  std::string shortcut;
  std::string target;
};

std::optional<StoredFavorite> ReadStoredFavorite(const std::string& favoritesFolder, const std::string& name) {
  if (name.empty()) return std::nullopt;
  std::string own = ShortcutFileOf(favoritesFolder, name);
  std::string target = ResolveShortcut(own);
  if (!target.empty()) return StoredFavorite{own, target};
  std::string earlier = EarlierShortcutFileOf(favoritesFolder, name);
  if (SameText(earlier, own)) return std::nullopt;
  target = ResolveShortcut(earlier);
  // Another favourite may have taken over the shared file since: then it is not this one's.
  if (target.empty() || !SameText(LastComponent(ComparablePath(target)), name)) return std::nullopt;
  return StoredFavorite{earlier, target};
}

// The favourites list and what each entry's shortcut holds, read once per command.
class FavoriteBook {
 public:
  FavoriteBook() : folder_(FavoritesFolder()), list_(FavoriteList()) { list_.ReadList(); }

  // The name under which `target` is (or becomes) a favourite: the name of the favourite that
  // stands for it already, else the first variant of `name` that no favourite holds and whose
  // shortcut file no favourite is read from.
  std::string NameFor(const std::string& name, const std::string& target, bool folder) {
    for (const std::string& listed : list_.Names()) {
      if (listed.empty()) continue;
      const Entry& entry = Load(listed);
      if (entry.stored && SameTarget(entry.stored->target, target)) return listed;
    }
    for (int number = 1; number <= kMaxNameVariants; ++number) {
      std::string candidate = FavoriteNameVariant(name, folder, number);
      if (const Entry* entry = Find(candidate)) {
        // An entry with no readable shortcut stands for nothing: the new target takes it over.
        if (!entry->stored) return candidate;
        continue;
      }
      if (!ShortcutInUse(ShortcutFileOf(folder_, candidate))) return candidate;
    }
    return {};
  }

  // Saves the shortcut of favourite `name` and makes it the most recent entry; false, and the
  // list unchanged, when the shortcut could not be saved.
  bool Add(const std::string& name, const std::string& target, const std::string& description) {
    std::string shortcut = ShortcutFileOf(folder_, name);
    if (!CreateShortcut(shortcut, target, description)) return false;
    list_.Add(name);
    Remember(name, StoredFavorite{shortcut, target});
    return true;
  }

  void Write() { list_.WriteList(); }
  const std::string& Folder() const { return folder_; }

 private:
  struct Entry {
    std::string name;
    std::optional<StoredFavorite> stored;
  };

  const Entry* Find(const std::string& name) {
    for (const std::string& listed : list_.Names())
      if (!listed.empty() && SameText(listed, name)) return &Load(listed);
    return nullptr;
  }

  bool ShortcutInUse(const std::string& shortcut) {
    for (const std::string& listed : list_.Names()) {
      if (listed.empty()) continue;
      const Entry& entry = Load(listed);
      if (entry.stored && SameText(entry.stored->shortcut, shortcut)) return true;
    }
    return false;
  }

  const Entry& Load(const std::string& name) {
    for (const Entry& entry : entries_)
      if (SameText(entry.name, name)) return entry;
    entries_.push_back({name, ReadStoredFavorite(folder_, name)});
    return entries_.back();
  }

  void Remember(const std::string& name, StoredFavorite stored) {
    for (Entry& entry : entries_) {
      if (SameText(entry.name, name)) {
        entry.stored = std::move(stored);
        return;
      }
    }
    entries_.push_back({name, std::move(stored)});
  }

  std::string folder_;
  CProfileMruList list_;
  std::vector<Entry> entries_;
};

std::string PrepareFavoritesFolder() {
  std::string folder = FavoritesFolder();
  // When it cannot be made the shortcut saves fail, and the user is told.
  MakeProgramFolder(folder);
  return folder;
}

void TellShortcutsNotSaved(const std::vector<std::string>& names, const std::string& folder) {
  std::string text = "These favorites were not added, because their shortcuts could not be saved in " + folder + ":";
  for (const std::string& name : names) text += "\n" + name;
  AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

std::string FavoritesFolder() { return Browser().appFolder + "\\" + kFavoritesFolderName; }

std::string FolderFavoriteName(const std::string& folder) {
  std::string trimmed = folder;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  if (trimmed.size() == 2 && trimmed[1] == ':') return std::string("Drive ") + trimmed[0];
  return LastComponent(trimmed);
}

std::string ShortcutFileOf(const std::string& favoritesFolder, const std::string& name) {
  return favoritesFolder + "\\" + name + kShortcutExtension;
}

std::string FavoriteNameVariant(const std::string& name, bool folder, int number) {
  if (number <= 1) return name;
  std::string mark = " (" + std::to_string(number) + ")";
  size_t dot = folder ? std::string::npos : name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + mark;
  return name.substr(0, dot) + mark + name.substr(dot);
}

void AddFolderFavorite(const std::string& folder) {
  const std::string base = FolderFavoriteName(folder);
  if (base.empty()) return;
  PrepareFavoritesFolder();
  FavoriteBook book;
  const std::string name = book.NameFor(base, folder, true);
  bool saved = !name.empty() && book.Add(name, folder, std::string(kDescriptionPrefix) + "\\" + name);
  if (saved) book.Write();
  if (!saved) TellShortcutsNotSaved({base}, book.Folder());
}

void AddFileFavorites(const std::vector<std::string>& paths) {
  PrepareFavoritesFolder();
  FavoriteBook book;
  std::vector<std::string> failed;
  bool added = false;
  for (const std::string& path : paths) {
    const std::string base = LastComponent(path);
    if (base.empty()) continue;
    const std::string name = book.NameFor(base, path, false);
    if (!name.empty() && book.Add(name, path, kDescriptionPrefix + name))
      added = true;
    else
      failed.push_back(base);
  }
  if (added) book.Write();
  if (!failed.empty()) TellShortcutsNotSaved(failed, book.Folder());
}

bool ResolveFavorite(const std::string& name, FavoriteTarget& target) {
  std::optional<StoredFavorite> stored = ReadStoredFavorite(FavoritesFolder(), name);
  if (!stored) return false;
  DWORD attributes = GetFileAttributesA(stored->target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  target.path = stored->target;
  target.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return true;
}
