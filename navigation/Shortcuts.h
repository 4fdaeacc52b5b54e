#pragma once
// Shell shortcut (".LNK") files, written and read through the system's shell link object. The
// calling thread must have initialised COM. Any failing step ends the operation silently.
#include <string>

// Writes the shortcut file `shortcutFile` to `target` with `description`; an existing file is
// overwritten. False when any step fails (no file is then promised).
bool CreateShortcut(const std::string& shortcutFile, const std::string& target, const std::string& description);

// The target path of the shortcut file `shortcutFile`, resolved without any window; "" when the
// file is missing, does not load, or gives no path.
std::string ResolveShortcut(const std::string& shortcutFile);
