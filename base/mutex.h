// A mutex, its scoped lock and a condition variable that the thread-safety
// analysis understands (libstdc++'s std::mutex carries no attributes). Thin
// wrappers over the standard types: no allocation, nothing added per lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/thread_annotations.h"

namespace life3d {

class CAPABILITY("mutex") Mutex {
 public:
  void Lock() ACQUIRE() { mutex_.lock(); }
  void Unlock() RELEASE() { mutex_.unlock(); }

 private:
  friend class CondVar;
  std::mutex mutex_;
};

// Holds the mutex from construction to destruction, apart from the stretches
// between Unlock and Lock.
class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~MutexLock() RELEASE() NO_THREAD_SAFETY_ANALYSIS {
    if (held_) mutex_.Unlock();
  }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;
  void Unlock() RELEASE() NO_THREAD_SAFETY_ANALYSIS {
    mutex_.Unlock();
    held_ = false;
  }
  void Lock() ACQUIRE() NO_THREAD_SAFETY_ANALYSIS {
    mutex_.Lock();
    held_ = true;
  }

 private:
  Mutex& mutex_;
  bool held_ = true;
};

// Waits release the mutex while they sleep and hold it again when they
// return; a wake may be spurious, so callers wait in a loop on their
// condition.
class CondVar {
 public:
  void Wait(Mutex& mutex) REQUIRES(mutex) {
    std::unique_lock<std::mutex> lock(mutex.mutex_, std::adopt_lock);
    changed_.wait(lock);
    lock.release();  // still held: the caller's lock gives it back
  }
  // False once the deadline has passed.
  bool WaitUntil(Mutex& mutex, std::chrono::steady_clock::time_point deadline) REQUIRES(mutex) {
    std::unique_lock<std::mutex> lock(mutex.mutex_, std::adopt_lock);
    const bool woken = changed_.wait_until(lock, deadline) == std::cv_status::no_timeout;
    lock.release();
    return woken;
  }
  void NotifyAll() { changed_.notify_all(); }

 private:
  std::condition_variable changed_;
};

}  // namespace life3d
