#pragma once
// Locks: an unnamed Win32 mutex and a scoped holder.
#include <windows.h>

class CMutex {
 public:
  CMutex() : handle_(CreateMutexA(nullptr, FALSE, nullptr)) {}
  ~CMutex() {
    if (handle_) CloseHandle(handle_);
  }
  CMutex(const CMutex&) = delete;
  CMutex& operator=(const CMutex&) = delete;

  bool Lock() { return WaitForSingleObject(handle_, INFINITE) == WAIT_OBJECT_0; }
  void Unlock() { ReleaseMutex(handle_); }

 private:
  HANDLE handle_;
};

class CSingleLock {
 public:
  explicit CSingleLock(CMutex& mutex) : mutex_(mutex), locked_(mutex.Lock()) {}
  ~CSingleLock() {
    if (locked_) mutex_.Unlock();
  }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

 private:
  CMutex& mutex_;
  bool locked_;
};
