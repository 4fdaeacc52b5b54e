#pragma once
// One background thread per fixed, network or RAM drive: it waits for folders to be created,
// deleted or renamed anywhere on the drive and posts kWmDriveChanged (wParam = drive index) to
// the folder tree for each change, until the tree's stop event is set. It never touches the tree.
#include <windows.h>

// What a watcher is started with; the watcher owns and frees it.
struct DriveWatchStart {
  int drive;         // 0 = A:
  HANDLE stopEvent;  // manual-reset; the tree sets it and then waits for the thread
  HWND tree;
};

// Starts the watcher of drive `drive` at idle priority. Returns the thread handle, which the
// caller waits for and closes, or null when no thread could be started.
HANDLE StartDriveWatcher(int drive, HANDLE stopEvent, HWND tree);

// The thread procedure; exit code 1 when the drive's change notification cannot be set up.
unsigned __stdcall DriveWatcher(void* start);
