#pragma once
// The thumbnail worker: one background thread per listing that makes every missing thumbnail file
// of one folder at idle priority and, when it made any, asks the list view to list the folder
// again. Nothing waits for it or stops it; several may run at once. The view makes the files of
// the items it draws itself, under the same claims.
#include <windows.h>

#include <string>

class ThumbnailClaims;

// Starts a worker on a copy of `folder`; the thread's handle is not kept. `claims` must outlive
// the thread (the program's claims live as long as the process). `finished`, when given, is an
// event the worker sets as its last act, for callers that must know when it is done (tests and
// benchmarks; the program passes none). False when the path is not one of fewer than MAX_PATH
// characters (which the worker's kPathBytes folder buffer holds) or no thread could be started.
bool StartThumbnailWorker(const std::string& folder, HWND view, ThumbnailClaims& claims, const std::string& appFolder,
                          HANDLE finished = nullptr);

// The worker's walk, on the calling thread: makes the missing thumbnail files of the folder's
// visible "*.jpg" files and, when it made any and the search ran to its end, posts
// kWmListFolder (0, 0) to `view`. Which files exist it learns from one search of the thumbnail
// folder (which also deletes the temporary files of writers that no longer run), and looks again
// under its claim before it makes one. Returns the number of files made.
int MakeFolderThumbnails(const std::string& folder, HWND view, ThumbnailClaims& claims, const std::string& appFolder);

// The view's side, for an item it is about to draw: when the thumbnail file is missing and no
// other thread is making it, makes it at once. True when the file may be read now; false while
// another thread is still making it (the item then gets no picture this time and asks again at
// its next drawing).
bool EnsureThumbnail(const std::string& imagePath, const std::string& thumbPath, ThumbnailClaims& claims);
