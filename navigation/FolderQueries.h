#pragma once
// What the folder tree asks of the file system about one path. Paths the ANSI file functions
// cannot take (MAX_PATH characters and longer, with the search mask) count as folders that cannot
// be read.
#include <functional>
#include <string>

// Whether the ANSI file functions can take `path` (fewer than MAX_PATH characters).
bool IsReachablePath(const std::string& path);
// A drive root ("D:\", exactly three characters) or an existing directory.
bool IsFolder(const std::string& path);
// Whether the folder holds at least one folder other than "." and "..", hidden and system ones
// included.
bool HasSubfolders(const std::string& path);
// Calls `visit` with the name of each folder in `path` other than "." and "..", in the order the
// file system lists them. False when the listing cannot start.
bool ForEachSubfolder(const std::string& path, const std::function<void(const std::string&)>& visit);
// The search pattern "path\*.*", with no second backslash behind a drive root.
std::string SubfolderPattern(const std::string& path);
