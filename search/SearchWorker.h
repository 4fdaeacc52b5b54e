#pragma once
// The search worker: one thread per Find Now at idle priority over copies made on the
// user-interface thread. It reports to the dialog only by sent messages: kWmSearchBegin, one
// kWmSearchRow per row (lParam: const SearchRow*, valid during the send) and kWmSearchEnded; a
// dialog that is gone simply receives nothing.
#include <windows.h>

#include <atomic>
#include <memory>

#include "search/SearchFilter.h"

inline constexpr UINT kWmSearchBegin = WM_APP + 0x51;
inline constexpr UINT kWmSearchRow = WM_APP + 0x52;
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
