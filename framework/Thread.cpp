#include "framework/Thread.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "framework/Sync.h"

namespace {

// Handles of the started threads (our own duplicates). Immortal: a worker may still run while
// the process's static objects are being destroyed.
struct WorkerRegistry {
  CMutex lock;
  std::vector<HANDLE> threads;
  std::atomic<bool> stopRequested{false};

  // Closes the handles of threads that have ended. Caller holds the lock.
  void Prune() {
    auto ended = [](HANDLE thread) {
      if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return false;
      CloseHandle(thread);
      return true;
    };
    threads.erase(std::remove_if(threads.begin(), threads.end(), ended), threads.end());
  }
};

WorkerRegistry& Registry() {
  static WorkerRegistry& registry = *new WorkerRegistry;
  return registry;
}

}  // namespace

HANDLE AfxBeginThread(ThreadProc proc, void* parameter, int priority, ThreadEnd end) {
  // Created suspended so that it never runs above its priority.
  auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, proc, parameter, CREATE_SUSPENDED, nullptr));
  if (!thread) return nullptr;
  SetThreadPriority(thread, priority);
  HANDLE counted = nullptr;
  if (end == ThreadEnd::AtProgramEnd &&
      DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &counted, SYNCHRONIZE, FALSE, 0)) {
    WorkerRegistry& registry = Registry();
    CSingleLock hold(registry.lock);
    registry.Prune();
    try {
      registry.threads.push_back(counted);
    } catch (...) {
      CloseHandle(counted);  // not counted: the exit wait simply does not see it
    }
  }
  ResumeThread(thread);
  return thread;
}

bool AfxWorkerStopRequested() { return Registry().stopRequested.load(std::memory_order_relaxed); }

void AfxResetWorkerStop() { Registry().stopRequested.store(false); }

bool AfxStopWorkers(DWORD timeoutMs) {
  WorkerRegistry& registry = Registry();
  registry.stopRequested.store(true);
  const DWORD start = GetTickCount();
  for (;;) {
    std::vector<HANDLE> waiting;
    {
      CSingleLock hold(registry.lock);
      registry.Prune();
      if (registry.threads.empty()) return true;
      waiting.assign(registry.threads.begin(),
                     registry.threads.begin() + std::min<size_t>(registry.threads.size(), MAXIMUM_WAIT_OBJECTS));
      // Waited on through duplicates: a prune by another thread may close the originals.
      for (HANDLE& h : waiting)
        if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &h, SYNCHRONIZE, FALSE, 0)) h = nullptr;
    }
    waiting.erase(std::remove(waiting.begin(), waiting.end(), nullptr), waiting.end());
    const DWORD spent = GetTickCount() - start;
    const DWORD left = spent >= timeoutMs ? 0 : timeoutMs - spent;
    DWORD result = waiting.empty()
                       ? WAIT_OBJECT_0
                       : WaitForMultipleObjects(static_cast<DWORD>(waiting.size()), waiting.data(), TRUE, left);
    for (HANDLE h : waiting) CloseHandle(h);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) {
      CSingleLock hold(registry.lock);
      registry.Prune();
      return registry.threads.empty();
    }
  }
}

int AfxRunningWorkerCount() {
  WorkerRegistry& registry = Registry();
  CSingleLock hold(registry.lock);
  registry.Prune();
  return static_cast<int>(registry.threads.size());
}
