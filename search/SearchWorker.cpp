#include "search/SearchWorker.h"

#include <iterator>
#include <new>
#include <utility>

#include "framework/Thread.h"

namespace {

std::function<void()>& FirstBatchPause() {
  static auto& pause = *new std::function<void()>;
  return pause;
}

struct WorkerStart {
  std::unique_ptr<SearchJob> job;
  std::function<void()> firstBatchPause;
};

FoundRow FoundRowOf(const SearchRow& row) {
  FoundRow found;
  found.fileName = row.fileName;
  found.annotation = row.annotation;
  if (row.record) {
    found.recordIndex = row.recordIndex;
    found.size = row.record->size;
    found.modified = row.record->modified;
  }
  return found;
}

// Hands rows to the dialog in order, a batch at a time.
class HandOver {
 public:
  HandOver(SearchJob& job, std::function<void()> firstBatchPause)
      : job_(job), firstBatchPause_(std::move(firstBatchPause)) {}

  void Add(const SearchRow& row) {
    batch_.push_back(FoundRowOf(row));
    if (batch_.size() >= kSearchBatchRows || GetTickCount() - lastHandOver_ >= kSearchBatchMs) Flush();
  }

  void Flush() {
    lastHandOver_ = GetTickCount();
    if (batch_.empty()) return;
    SearchShared& shared = *job_.shared;
    bool tell = false;
    {
      CSingleLock hold(shared.lock);
      if (shared.handed.empty())
        shared.handed.swap(batch_);
      else
        shared.handed.insert(shared.handed.end(), std::make_move_iterator(batch_.begin()),
                             std::make_move_iterator(batch_.end()));
      tell = !shared.told;
      shared.told = true;
    }
    batch_.clear();
    // Not posted: the dialog is gone, or its queue is full; the end's message takes the rows.
    if (tell) PostMessageA(job_.dialog, kWmSearchRows, 0, 0);
    if (firstBatchPause_) std::exchange(firstBatchPause_, nullptr)();
  }

 private:
  SearchJob& job_;
  std::function<void()> firstBatchPause_;
  std::vector<FoundRow> batch_;
  DWORD lastHandOver_ = GetTickCount();
};

unsigned __stdcall SearchWorker(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  SearchJob& job = *start->job;
  try {
    HandOver handOver(job, std::move(start->firstBatchPause));
    try {
      RunSearch(job.input, job.shared->running, [&](const SearchRow& row) { handOver.Add(row); });
    } catch (const std::bad_alloc&) {
      // Short of memory: the search ends with the rows found so far, and the dialog is told.
    }
    handOver.Flush();
  } catch (const std::bad_alloc&) {
    // The rows of the last batch are lost; the dialog is still told of the end.
  }
  if (!PostMessageA(job.dialog, kWmSearchEnded, 0, 0)) SendMessageA(job.dialog, kWmSearchEnded, 0, 0);
  return 0;
}

}  // namespace

bool StartSearchWorker(std::unique_ptr<SearchJob> job) {
  auto start = std::make_unique<WorkerStart>();
  start->job = std::move(job);
  start->firstBatchPause = FirstBatchPause();
  HANDLE thread = AfxBeginThread(&SearchWorker, start.get(), THREAD_PRIORITY_IDLE);
  if (!thread) return false;
  start.release();  // the worker owns it now
  CloseHandle(thread);
  return true;
}

std::vector<FoundRow> TakeHandedRows(SearchShared& shared) {
  std::vector<FoundRow> rows;
  CSingleLock hold(shared.lock);
  rows.swap(shared.handed);
  shared.told = false;
  return rows;
}

void SetSearchFirstBatchPause(std::function<void()> pause) { FirstBatchPause() = std::move(pause); }
