#include "navigation/DriveWatcher.h"

#include "framework/Thread.h"

#include <memory>

#include "browser/ListMessages.h"
#include "navigation/VolumeSerials.h"

unsigned __stdcall DriveWatcher(void* param) {
  DriveWatchStart start{};
  {
    std::unique_ptr<DriveWatchStart> owned(static_cast<DriveWatchStart*>(param));
    start = *owned;
  }
  const std::string root = DriveRoot(start.drive);
  HANDLE change = root.empty() ? INVALID_HANDLE_VALUE
                               : FindFirstChangeNotificationA(root.c_str(), TRUE, FILE_NOTIFY_CHANGE_DIR_NAME);
  if (change == INVALID_HANDLE_VALUE) return 1;

  const HANDLE waits[2] = {change, start.stopEvent};
  while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
    PostMessageA(start.tree, kWmDriveChanged, static_cast<WPARAM>(start.drive), 0);
    if (!FindNextChangeNotification(change)) break;
  }
  FindCloseChangeNotification(change);
  return 0;
}

HANDLE StartDriveWatcher(int drive, HANDLE stopEvent, HWND tree) {
  auto start = std::make_unique<DriveWatchStart>(DriveWatchStart{drive, stopEvent, tree});
  HANDLE thread = AfxBeginThread(DriveWatcher, start.get(), THREAD_PRIORITY_IDLE, ThreadEnd::JoinedByOwner);
  if (!thread) return nullptr;
  start.release();  // NOLINT(bugprone-unused-return-value): the thread owns the block now
  return thread;
}
