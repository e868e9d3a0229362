#include "engine/log_watchdog.h"

#include "engine/adb/cancel_group.h"
#include "engine/reachability.h"

LogWatchdog::LogWatchdog(std::string address, int port, std::chrono::milliseconds limit,
                         std::chrono::milliseconds interval, adb::CancelGroup& stream_group)
    : address_(std::move(address)),
      port_(port),
      limit_(limit),
      interval_(interval),
      stream_group_(stream_group),
      thread_([this] { Watch(); }) {}

LogWatchdog::~LogWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  done_changed_.notify_one();
  thread_.join();
}

void LogWatchdog::Watch() {
  using Clock = std::chrono::steady_clock;
  auto last_answer = Clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (done_changed_.wait_for(lock, interval_, [this] { return done_; })) return;
    lock.unlock();
    const bool answered = ProbeReachable(address_, port_) == 0;
    const auto now = Clock::now();
    lock.lock();
    if (done_) return;
    if (answered) {
      last_answer = now;
    } else if (now - last_answer >= limit_) {
      fired_.store(true, std::memory_order_release);
      stream_group_.Cancel();
      return;
    }
  }
}
