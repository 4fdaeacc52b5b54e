#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "framework/Sync.h"
#include "framework/Thread.h"

namespace {

// A worker that runs until the program asks its workers to stop.
unsigned __stdcall UntilStopped(void* parameter) {
  auto* laps = static_cast<std::atomic<int>*>(parameter);
  while (!AfxWorkerStopRequested()) {
    ++*laps;
    Sleep(5);
  }
  return 0;
}

// A worker that ignores the request and sleeps for the given milliseconds.
unsigned __stdcall Stubborn(void* parameter) {
  Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter)));
  return 0;
}

class Workers : public testing::Test {
 protected:
  void TearDown() override {
    AfxStopWorkers(10000);
    AfxResetWorkerStop();
  }
};

TEST_F(Workers, TheEndOfTheProgramStopsWorkersThatLookAtTheRequest) {
  std::atomic<int> laps{0};
  HANDLE threads[3];
  for (HANDLE& t : threads) {
    t = AfxBeginThread(UntilStopped, &laps, THREAD_PRIORITY_IDLE);
    ASSERT_NE(t, nullptr);
  }
  EXPECT_EQ(GetThreadPriority(threads[0]), THREAD_PRIORITY_IDLE);
  EXPECT_EQ(AfxRunningWorkerCount(), 3);
  EXPECT_FALSE(AfxWorkerStopRequested());
  EXPECT_TRUE(AfxStopWorkers(5000));
  EXPECT_EQ(AfxRunningWorkerCount(), 0);
  for (HANDLE t : threads) {
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
    CloseHandle(t);
  }
}

TEST_F(Workers, AWorkerThatDoesNotStopInTimeIsReported) {
  HANDLE t = AfxBeginThread(Stubborn, reinterpret_cast<void*>(uintptr_t{1500}), THREAD_PRIORITY_NORMAL);
  ASSERT_NE(t, nullptr);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(AfxStopWorkers(100));
  EXPECT_LT(GetTickCount() - start, 1000u);  // bounded: it did not wait for the worker
  EXPECT_EQ(AfxRunningWorkerCount(), 1);
  EXPECT_TRUE(AfxStopWorkers(10000));
  CloseHandle(t);
}

TEST_F(Workers, EndedWorkersAreNotCountedAndTheCallersHandleStaysValid) {
  HANDLE t = AfxBeginThread(Stubborn, nullptr, THREAD_PRIORITY_NORMAL);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(AfxRunningWorkerCount(), 0);
  DWORD code = 99;
  EXPECT_TRUE(GetExitCodeThread(t, &code));  // the caller's handle is its own
  EXPECT_EQ(code, 0u);
  CloseHandle(t);
}

struct Counting {
  CMutex mutex;
  long long total = 0;
};

unsigned __stdcall AddUnderTheLock(void* parameter) {
  auto* counting = static_cast<Counting*>(parameter);
  for (int i = 0; i < 20000; ++i) {
    CSingleLock hold(counting->mutex);
    long long seen = counting->total;
    if (i % 1000 == 0) Sleep(0);  // invite the other threads in while the lock is held
    counting->total = seen + 1;
  }
  return 0;
}

TEST(Locks, AScopedLockExcludesOtherThreadsAndIsGivenBack) {
  Counting counting;
  HANDLE threads[4];
  for (HANDLE& t : threads) t = AfxBeginThread(AddUnderTheLock, &counting, THREAD_PRIORITY_NORMAL);
  WaitForMultipleObjects(4, threads, TRUE, 30000);
  for (HANDLE t : threads) CloseHandle(t);
  EXPECT_EQ(counting.total, 80000);
  EXPECT_TRUE(counting.mutex.TryLock());  // nobody holds it any more
  EXPECT_FALSE(counting.mutex.TryLock());
  counting.mutex.Unlock();
}

}  // namespace

namespace {

// The program is linked to use more than 2 GB of address space on 64-bit Windows.
TEST(AddressSpace, MoreThanTwoGigabytesCanBeCommitted) {
  constexpr SIZE_T kChunk = SIZE_T{64} << 20;
  constexpr int kChunks = 36;  // 2.25 GB
  std::vector<void*> chunks;
  for (int i = 0; i < kChunks; ++i) {
    void* chunk = VirtualAlloc(nullptr, kChunk, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!chunk) break;
    chunks.push_back(chunk);
  }
  const size_t got = chunks.size();
  for (void* chunk : chunks) VirtualFree(chunk, 0, MEM_RELEASE);
  EXPECT_EQ(got, static_cast<size_t>(kChunks));
}

}  // namespace
