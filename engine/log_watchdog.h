// Ends a followed log when its panel stops answering.
//
// The adb server sets no keep-alive, so a panel that loses power without
// closing its connection leaves "shell logcat" blocked for ever. While a
// LogWatchdog lives, a thread of its own probes the panel's adb port about once
// per interval; when no probe has succeeded for `limit`, it cancels the group
// that runs the log command (which closes its connection) and stops probing.
// A panel that merely reboots closes its connection, so the stream ends by
// itself long before the limit.
//
// Threads: construct and destroy on one thread; the destructor stops and joins
// the probing thread. fired() may be read from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace adb {
class CancelGroup;
}  // namespace adb

class LogWatchdog {
 public:
  LogWatchdog(std::string address, int port, std::chrono::milliseconds limit,
              std::chrono::milliseconds interval, adb::CancelGroup& stream_group);
  ~LogWatchdog();
  LogWatchdog(const LogWatchdog&) = delete;
  LogWatchdog& operator=(const LogWatchdog&) = delete;

  // True once the watchdog has cancelled the stream group.
  bool fired() const { return fired_.load(std::memory_order_acquire); }

 private:
  void Watch();

  const std::string address_;
  const int port_;
  const std::chrono::milliseconds limit_;
  const std::chrono::milliseconds interval_;
  adb::CancelGroup& stream_group_;
  std::atomic<bool> fired_{false};
  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;  // last: starts after every member it uses exists
};
