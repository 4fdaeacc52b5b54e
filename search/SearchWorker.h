#pragma once
// The search worker: one thread per Find Now at idle priority over copies made on the
// user-interface thread. It reports to the dialog only by sent messages: kWmSearchBegin, then the
// rows in order, a few at a time (kWmSearchRows, lParam: const std::vector<SearchRow>*, valid
// during the send), and kWmSearchEnded; a dialog that is gone simply receives nothing. Rows go
// out at least once a frame; a send per row would cost two thread switches per row.
#include <windows.h>

#include <atomic>
#include <memory>

#include "search/SearchFilter.h"

inline constexpr UINT kWmSearchBegin = WM_APP + 0x51;
inline constexpr UINT kWmSearchRows = WM_APP + 0x52;
inline constexpr size_t kSearchBatchRows = 256;
inline constexpr DWORD kSearchBatchMs = 16;
inline constexpr UINT kWmSearchEnded = WM_APP + 0x53;

// Shared by the dialog and one worker.
struct SearchShared {
  std::atomic<int> running{1};  // 0: stop at the next record or annotation
  std::atomic<bool> ended{false};
};

struct SearchJob {
  SearchInput input;
  HWND dialog = nullptr;
  std::shared_ptr<SearchShared> shared;
};

// Starts the worker, which then owns the job. False when no thread could be started.
bool StartSearchWorker(std::unique_ptr<SearchJob> job);
