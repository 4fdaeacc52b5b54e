#pragma once
// Worker threads: started with a priority before they run a single instruction, and counted, so
// that the program's end can ask them to stop and wait for them. The registry behind them is
// never destroyed; any thread may call these functions.
#include <windows.h>

using ThreadProc = unsigned(__stdcall*)(void* parameter);

// Who ends a thread: the program's end (a worker nobody waits for, counted by AfxStopWorkers) or
// its owner, which stops and joins it itself before the program ends.
enum class ThreadEnd { AtProgramEnd, JoinedByOwner };

// Starts `proc(parameter)` at `priority` (THREAD_PRIORITY_IDLE and so on). Returns the thread's
// handle, which the caller closes (or waits on), or null when no thread could be started; the
// parameter then still belongs to the caller.
HANDLE AfxBeginThread(ThreadProc proc, void* parameter, int priority, ThreadEnd end = ThreadEnd::AtProgramEnd);

// True once the program has asked its workers to stop; long-running workers look at it between
// units of work and end early.
bool AfxWorkerStopRequested();

// Asks every worker started by AfxBeginThread for the program's end to stop and waits up to `timeoutMs` for all of them
// to end. True when none runs any more. The request stays in force (tests clear it with
// AfxResetWorkerStop).
bool AfxStopWorkers(DWORD timeoutMs);
void AfxResetWorkerStop();

// Number of started workers that have not ended yet.
int AfxRunningWorkerCount();
