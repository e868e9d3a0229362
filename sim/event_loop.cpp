#include "sim/event_loop.h"

#include <sys/epoll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <vector>

namespace sim {
namespace {

// The event's user data carries the descriptor and the generation of its
// registration, so events of a descriptor closed and reused within one batch
// never reach the new owner.
uint64_t Pack(int fd, uint32_t generation) { return uint64_t(generation) << 32 | uint32_t(fd); }

}  // namespace

EventLoop::EventLoop() : epoll_(epoll_create1(EPOLL_CLOEXEC)) {
  if (!epoll_.valid()) throw std::runtime_error("epoll_create1 failed");
}

int64_t EventLoop::NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void EventLoop::Watch(int fd, uint32_t epoll_events, FdHandler handler) {
  const bool known = watched_.count(fd) != 0;
  Watched& entry = watched_[fd];
  entry.generation = next_generation_++;
  entry.handler = std::make_shared<FdHandler>(std::move(handler));
  epoll_event event{};
  event.events = epoll_events;
  event.data.u64 = Pack(fd, entry.generation);
  if (epoll_ctl(epoll_.get(), known ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &event) != 0) {
    watched_.erase(fd);
    throw std::runtime_error("epoll_ctl failed");
  }
}

void EventLoop::SetInterest(int fd, uint32_t epoll_events) {
  auto it = watched_.find(fd);
  if (it == watched_.end()) return;
  epoll_event event{};
  event.events = epoll_events;
  event.data.u64 = Pack(fd, it->second.generation);
  epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, fd, &event);
}

void EventLoop::Unwatch(int fd) {
  if (watched_.erase(fd) != 0) epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, fd, nullptr);
}

EventLoop::TimerId EventLoop::After(int64_t delay_ms, std::function<void()> task) {
  const TimerId id = next_timer_++;
  timers_.emplace(id, std::move(task));
  timer_order_.emplace(NowMs() + (delay_ms > 0 ? delay_ms : 0), id);
  return id;
}

void EventLoop::Cancel(TimerId id) { timers_.erase(id); }

void EventLoop::RunDueTimers() {
  const int64_t now = NowMs();
  std::vector<TimerId> due;
  while (!timer_order_.empty() && timer_order_.begin()->first <= now) {
    due.push_back(timer_order_.begin()->second);
    timer_order_.erase(timer_order_.begin());
  }
  for (TimerId id : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // cancelled
    std::function<void()> task = std::move(it->second);
    timers_.erase(it);
    task();
    if (quit_) return;
  }
}

void EventLoop::Run(int64_t deadline_ms) {
  quit_ = false;
  epoll_event events[256];
  while (!quit_) {
    const int64_t now = NowMs();
    if (deadline_ms >= 0 && now >= deadline_ms) return;
    while (!timer_order_.empty() && timers_.count(timer_order_.begin()->second) == 0)
      timer_order_.erase(timer_order_.begin());
    int64_t wait = -1;
    if (!timer_order_.empty()) wait = std::max<int64_t>(0, timer_order_.begin()->first - now);
    if (deadline_ms >= 0) {
      const int64_t until_deadline = deadline_ms - now;
      wait = wait < 0 ? until_deadline : std::min(wait, until_deadline);
    }
    const int count = epoll_wait(epoll_.get(), events, 256, int(std::min<int64_t>(wait, 1 << 30)));
    if (count < 0 && errno != EINTR) throw std::runtime_error("epoll_wait failed");
    for (int i = 0; i < count && !quit_; ++i) {
      const int fd = int(uint32_t(events[i].data.u64));
      const uint32_t generation = uint32_t(events[i].data.u64 >> 32);
      auto it = watched_.find(fd);
      if (it == watched_.end() || it->second.generation != generation) continue;
      std::shared_ptr<FdHandler> handler = it->second.handler;  // survives Unwatch inside
      (*handler)(events[i].events);
    }
    if (!quit_) RunDueTimers();
  }
}

}  // namespace sim
