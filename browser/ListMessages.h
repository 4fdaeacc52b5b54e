#pragma once
// Window messages of the program.
#include <windows.h>

// To the list view: list the folder in lParam (a path valid during the call), or with lParam 0
// the current folder again.
constexpr UINT kWmListFolder = WM_USER + 1;
// To the folder tree, posted by a drive watcher: wParam = drive index (0 = A:).
constexpr UINT kWmDriveChanged = WM_USER;
