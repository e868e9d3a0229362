// A single-threaded epoll loop with one-shot timers.
//
// Threads: every method must be called on the thread that runs Run(); the
// loop owns no descriptors it is given (callers close their own after
// Unwatch). Handlers and timers may Watch/Unwatch/After/Cancel freely,
// including their own registration. Shutdown: Quit() makes Run() return after
// the current dispatch; pending timers are dropped with the loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/unique_fd.h"

namespace sim {

class EventLoop {
 public:
  using FdHandler = std::function<void(uint32_t epoll_events)>;
  using TimerId = uint64_t;

  EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Registers (or replaces) the handler and interest set of `fd`.
  void Watch(int fd, uint32_t epoll_events, FdHandler handler);
  // Changes only the interest set of a watched descriptor.
  void SetInterest(int fd, uint32_t epoll_events);
  void Unwatch(int fd);

  TimerId After(int64_t delay_ms, std::function<void()> task);
  void Cancel(TimerId id);

  // Runs until Quit() or until the monotonic clock passes `deadline_ms`
  // (negative: no deadline).
  void Run(int64_t deadline_ms = -1);
  void Quit() { quit_ = true; }

  static int64_t NowMs();

  // A read buffer every handler of this loop may use during one call (the
  // loop runs one handler at a time), so connections need none of their own.
  std::vector<char>& ReadBuffer() { return read_buffer_; }

 private:
  struct Watched {
    uint32_t generation;
    std::shared_ptr<FdHandler> handler;
  };
  void RunDueTimers();

  platform::UniqueFd epoll_;
  std::unordered_map<int, Watched> watched_;
  uint32_t next_generation_ = 1;
  std::multimap<int64_t, TimerId> timer_order_;
  std::unordered_map<TimerId, std::function<void()>> timers_;
  TimerId next_timer_ = 1;
  bool quit_ = false;
  std::vector<char> read_buffer_ = std::vector<char>(1024 * 1024);
};

}  // namespace sim
