// A semaphore with count 1 and maximum 1: releasing it while it is already
// released does nothing, so any number of wakes before a wait let exactly one
// wait through. Any thread may release; one thread waits.
#pragma once

#include <condition_variable>
#include <mutex>

class WakeSemaphore {
 public:
  explicit WakeSemaphore(bool released) : released_(released) {}
  WakeSemaphore(const WakeSemaphore&) = delete;
  WakeSemaphore& operator=(const WakeSemaphore&) = delete;

  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      released_ = true;
    }
    released_changed_.notify_one();
  }

  // Blocks until released, then takes the release.
  void Acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    released_changed_.wait(lock, [this] { return released_; });
    released_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_changed_;
  bool released_;
};
