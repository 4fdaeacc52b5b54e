#include "search/SearchWorker.h"

#include "framework/Thread.h"

namespace {

unsigned __stdcall SearchWorker(void* parameter) {
  std::unique_ptr<SearchJob> job(static_cast<SearchJob*>(parameter));
  SendMessageA(job->dialog, kWmSearchBegin, 0, 0);
  RunSearch(job->input, job->shared->running, [&job](const SearchRow& row) {
    SendMessageA(job->dialog, kWmSearchRow, 0, reinterpret_cast<LPARAM>(&row));
  });
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
