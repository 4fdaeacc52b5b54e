#pragma once
// Worker threads: started with a priority before they run a single instruction.
#include <windows.h>

using ThreadProc = unsigned(__stdcall*)(void* parameter);

// Starts `proc(parameter)` at `priority` (THREAD_PRIORITY_IDLE and so on). Returns the thread's
// handle, which the caller closes (or waits on), or null when no thread could be started; the
// parameter then still belongs to the caller.
HANDLE AfxBeginThread(ThreadProc proc, void* parameter, int priority);
