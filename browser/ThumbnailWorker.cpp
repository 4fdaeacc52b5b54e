#include "browser/ThumbnailWorker.h"

#include "framework/Thread.h"

#include <cstring>
#include <memory>
#include <unordered_set>

#include "browser/BrowserState.h"
#include "browser/FileNames.h"
#include "browser/ListMessages.h"
#include "browser/ThumbnailClaims.h"
#include "browser/ThumbnailFiles.h"
#include "framework/PathText.h"
#include "image/ImageSettings.h"

namespace {

// Hidden, system, directory and temporary entries get no thumbnail.
constexpr DWORD kSkippedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY;

// The block handed to the thread, which owns it.
struct WorkerStart {
  char folder[kPathBytes] = {};
  HWND view = nullptr;
  ThumbnailClaims* claims = nullptr;
  std::string appFolder;
  HANDLE finished = nullptr;  // our own duplicate

  WorkerStart() = default;
  WorkerStart(const WorkerStart&) = delete;
  WorkerStart& operator=(const WorkerStart&) = delete;
  ~WorkerStart() {
    if (finished) CloseHandle(finished);
  }
};

unsigned __stdcall ThumbnailWorker(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  try {
    MakeFolderThumbnails(start->folder, start->view, *start->claims, start->appFolder);
  } catch (...) {
    // Out of memory: the files made so far stay; the next listing tries again.
  }
  if (start->finished) SetEvent(start->finished);
  return 0;
}

// True when this call made the file.
bool MakeMissingThumbnail(const std::string& imagePath, const std::string& thumbPath, ThumbnailClaims& claims) {
  if (PathExists(thumbPath) || claims.FailedThisListing(imagePath)) return false;
  ThumbnailClaim claim(claims, thumbPath);
  // Looked for again under the claim: another thread may have finished it in the meantime.
  if (!claim || PathExists(thumbPath)) return false;
  const unsigned choice = g_thumbnailBoxChoices.load();
  if (MakeThumbnailFile(imagePath, thumbPath)) return true;
  // A file not kept because another box was chosen meanwhile is no fault of the image: the
  // listing that the size command asks for makes it again.
  if (g_thumbnailBoxChoices.load() == choice) claims.NoteFailure(imagePath);
  return false;
}

// How many thumbnail files the folder's visible "*.jpg" files lack: one per missing name, as
// a.jpg and a.old.jpg need one a.cpg between them.
int CountMissingThumbnails(const std::string& folder, const ExistingThumbnails& existing) {
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(folder, "*.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  std::unordered_set<std::string> missing;
  do {
    if (found.dwFileAttributes & kSkippedAttributes) continue;
    std::string thumbName = ThumbnailNameFor(found.cFileName);
    if (existing.Contains(thumbName)) continue;
    missing.insert(UpperCaseName(thumbName));
  } while (FindNextFileText(search, &found));
  FindClose(search);
  return static_cast<int>(missing.size());
}

}  // namespace

bool StartThumbnailWorker(const std::string& folder, HWND view, ThumbnailClaims& claims, const std::string& appFolder,
                          HANDLE finished) {
  // A cut path could name another folder; no folder at all would search the current directory.
  if (folder.empty() || !FitsMaxPath(folder) || folder.size() >= kPathBytes) return false;
  auto start = std::make_unique<WorkerStart>();
  std::memcpy(start->folder, folder.c_str(), folder.size() + 1);
  start->view = view;
  start->claims = &claims;
  start->appFolder = appFolder;
  if (finished && !DuplicateHandle(GetCurrentProcess(), finished, GetCurrentProcess(), &start->finished, 0, FALSE,
                                   DUPLICATE_SAME_ACCESS)) {
    return false;
  }
  HANDLE thread = AfxBeginThread(ThumbnailWorker, start.get(), THREAD_PRIORITY_IDLE);
  if (!thread) return false;
  start.release();      // NOLINT(bugprone-unused-return-value): the thread owns the block now
  CloseHandle(thread);  // nothing waits for a worker
  return true;
}

int MakeFolderThumbnails(const std::string& folder, HWND view, ThumbnailClaims& claims, const std::string& appFolder) {
  // Nothing is listed or written outside a folder the user chose.
  if (folder.empty()) return 0;
  // Ends early when the program ends or a newer listing of this folder has its own worker.
  const unsigned listing = claims.ListingsOf(folder);
  auto superseded = [&] { return AfxWorkerStopRequested() || claims.ListingsOf(folder) != listing; };
  const std::string thumbFolder = ThumbnailFolderFor(folder, appFolder);
  // One search of the thumbnail folder instead of one per image: repeated listings start a worker
  // each, and a folder whose thumbnail files all exist should cost little more than that search.
  ExistingThumbnails existing = ExistingThumbnails::Read(thumbFolder);
  if (!existing.FolderFound() || superseded()) return 0;  // nowhere to write, or no longer wanted
  ThumbnailProgressReport progress(Browser().thumbnailProgress, folder, CountMissingThumbnails(folder, existing));
  FindData found;
  HANDLE search = FindFirstFileText(PathJoin(folder, "*.jpg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int made = 0;
  bool ended = true;  // false when the search was left early
  do {
    if (superseded()) {
      ended = false;
      break;
    }
    if (found.dwFileAttributes & kSkippedAttributes) continue;
    // a.jpg and a.old.jpg share a.cpg: whichever comes first makes it for both.
    const std::string thumbName = ThumbnailNameFor(found.cFileName);
    if (existing.Contains(thumbName)) continue;
    const std::string imagePath = PathJoin(folder, found.cFileName);
    if (MakeMissingThumbnail(imagePath, PathJoin(thumbFolder, thumbName), claims)) {
      ++made;
      existing.Insert(thumbName);
    }
    progress.Advance();
  } while (FindNextFileText(search, &found));
  const bool searchedToTheEnd = ended && GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  // Only files really made count: a copy that failed would otherwise make every listing start
  // a worker that fails again and asks for yet another listing.
  if (searchedToTheEnd && made > 0) PostMessageA(view, kWmListFolder, 0, 0);
  return made;
}

bool EnsureThumbnail(const std::string& imagePath, const std::string& thumbPath, ThumbnailClaims& claims) {
  MakeMissingThumbnail(imagePath, thumbPath, claims);
  return !claims.IsClaimed(thumbPath);
}
