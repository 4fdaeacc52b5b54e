#pragma once
// The search worker: one thread per Find Now at idle priority over copies made on the
// user-interface thread. It hands its rows over to the dialog through the search's shared state,
// in order, a batch at a time, and posts kWmSearchRows when the dialog has taken everything
// handed before (so at most one is on its way, and the dialog takes whatever has come by then);
// at its end it posts kWmSearchEnded. A dialog that is gone simply receives nothing. The dialog
// thus sets the count of its list once per message rather than once per batch: a busy worker
// does not queue work for the dialog faster than the dialog draws.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Sync.h"
#include "search/SearchFilter.h"

inline constexpr UINT kWmSearchRows = WM_APP + 0x52;
inline constexpr size_t kSearchBatchRows = 256;
inline constexpr DWORD kSearchBatchMs = 16;
inline constexpr UINT kWmSearchEnded = WM_APP + 0x53;

// A found row as the dialog keeps it: it owns its texts and needs none of the worker's copies.
struct FoundRow {
  std::string fileName;
  std::string annotation;
  int recordIndex = -1;  // -1: an annotation whose file is not listed (no size or time)
  uint32_t size = 0;
  int32_t modified = 0;
};

// Shared by the dialog and one worker; the worker's share ends with the worker.
struct SearchShared {
  std::atomic<int> running{1};     // 0: stop at the next record or annotation
  std::atomic<bool> ended{false};  // the dialog has taken the search's end
  CMutex lock;                     // guards the two below
  std::vector<FoundRow> handed;    // rows handed over and not yet taken by the dialog
  bool told = false;               // a kWmSearchRows is on its way
};

struct SearchJob {
  SearchInput input;
  HWND dialog = nullptr;
  std::shared_ptr<SearchShared> shared;
};

// Starts the worker, which then owns the job. False when no thread could be started.
bool StartSearchWorker(std::unique_ptr<SearchJob> job);

// The rows handed over so far, taken out of `shared`; the worker tells again with its next batch.
std::vector<FoundRow> TakeHandedRows(SearchShared& shared);

// For tests: called on the worker's thread after it has handed over its first batch, before it
// looks at the next record; empty in the program. A test holds the search there to press Stop
// while rows are still to come.
void SetSearchFirstBatchPause(std::function<void()> pause);
