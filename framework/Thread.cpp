#include "framework/Thread.h"

#include <process.h>

HANDLE AfxBeginThread(ThreadProc proc, void* parameter, int priority) {
  // Created suspended so that it never runs above its priority.
  auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, proc, parameter, CREATE_SUSPENDED, nullptr));
  if (!thread) return nullptr;
  SetThreadPriority(thread, priority);
  ResumeThread(thread);
  return thread;
}
