#include "search/SearchWorker.h"

#include <new>
#include <vector>

#include "framework/Thread.h"

namespace {

unsigned __stdcall SearchWorker(void* parameter) {
  std::unique_ptr<SearchJob> job(static_cast<SearchJob*>(parameter));
  SendMessageA(job->dialog, kWmSearchBegin, 0, 0);
  std::vector<SearchRow> batch;
  DWORD lastSend = GetTickCount();
  auto send = [&] {
    if (!batch.empty()) SendMessageA(job->dialog, kWmSearchRows, 0, reinterpret_cast<LPARAM>(&batch));
    batch.clear();
    lastSend = GetTickCount();
  };
  try {
    RunSearch(job->input, job->shared->running, [&](const SearchRow& row) {
      batch.push_back(row);
      if (batch.size() >= kSearchBatchRows || GetTickCount() - lastSend >= kSearchBatchMs) send();
    });
  } catch (const std::bad_alloc&) {
    // Short of memory: the search ends with the rows found so far, and the dialog is told.
  }
  send();
  SendMessageA(job->dialog, kWmSearchEnded, 0, 0);
  job->shared->ended.store(true);
  return 0;
}

}  // namespace

bool StartSearchWorker(std::unique_ptr<SearchJob> job) {
  HANDLE thread = AfxBeginThread(&SearchWorker, job.get(), THREAD_PRIORITY_IDLE);
  if (!thread) return false;
  job.release();  // the worker owns it now
  CloseHandle(thread);
  return true;
}
