// Wakes device workers after a delay: the command-line driver's stand-in for
// the GUI's delayed task on the UI thread.
//
// Threads: Schedule() from any thread (the workers' pass-done hooks);
// Shutdown() and destruction on the owner's thread. Shutdown() joins the timer
// thread and drops what is pending; later Schedule() calls do nothing. Every
// scheduled worker must outlive Shutdown().
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

class DeviceWorker;

class PassTimer {
 public:
  using Clock = std::chrono::steady_clock;

  PassTimer();
  ~PassTimer();
  PassTimer(const PassTimer&) = delete;
  PassTimer& operator=(const PassTimer&) = delete;

  void Schedule(DeviceWorker& worker, Clock::duration delay);
  void Shutdown();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, DeviceWorker*> due_;
  bool shut_down_ = false;
  std::thread thread_;
};
