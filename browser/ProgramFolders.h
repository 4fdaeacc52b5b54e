#pragma once
// Folders the program makes in its own folder (the favorites folder, the DRVE_ thumbnail folders
// of removable drives and discs) carry a hidden marker file of this name, written when the program
// makes the folder. The uninstaller removes such a folder only when the marker is there, so that
// a user's own folder of the same name is never removed. Any thread.
#include <string>

inline constexpr char kProgramFolderMarker[] = "Made by Lumavex.txt";

// Makes `folder` (its parent must exist) and, when the program made it, marks it. True when the
// folder exists afterwards.
bool MakeProgramFolder(const std::string& folder);
