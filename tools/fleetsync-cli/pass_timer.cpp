#include "tools/fleetsync-cli/pass_timer.h"

#include <vector>

#include "engine/device_worker.h"

PassTimer::PassTimer() : thread_([this] { Run(); }) {}

PassTimer::~PassTimer() { Shutdown(); }

void PassTimer::Schedule(DeviceWorker& worker, Clock::duration delay) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_down_) return;
    due_.emplace(Clock::now() + delay, &worker);
  }
  changed_.notify_one();
}

void PassTimer::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shut_down_ = true;
    due_.clear();
  }
  changed_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void PassTimer::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!shut_down_) {
    if (due_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto next = due_.begin()->first;
    if (Clock::now() < next) {
      changed_.wait_until(lock, next);
      continue;
    }
    // Wake outside the lock; a worker's hook may schedule again at once.
    std::vector<DeviceWorker*> wake;
    const auto now = Clock::now();
    while (!due_.empty() && due_.begin()->first <= now) {
      wake.push_back(due_.begin()->second);
      due_.erase(due_.begin());
    }
    lock.unlock();
    for (DeviceWorker* worker : wake) worker->Wake();
    lock.lock();
  }
}
