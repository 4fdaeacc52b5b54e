#pragma once
// Locks: a lock that cannot fail (a slim reader/writer lock used exclusively) and a scoped holder.
// A kernel mutex could fail its wait and leave the holder to carry on unlocked.
#include <windows.h>

class CMutex {
 public:
  CMutex() = default;
  CMutex(const CMutex&) = delete;
  CMutex& operator=(const CMutex&) = delete;

  void Lock() { AcquireSRWLockExclusive(&lock_); }
  void Unlock() { ReleaseSRWLockExclusive(&lock_); }
  // True when the lock was free and is now held by the caller.
  bool TryLock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

// Holds the lock for its lifetime; the lock is always held once the constructor returns.
class CSingleLock {
 public:
  explicit CSingleLock(CMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~CSingleLock() { mutex_.Unlock(); }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

 private:
  CMutex& mutex_;
};
