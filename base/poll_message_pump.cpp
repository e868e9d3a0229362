#include "base/poll_message_pump.h"

#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

namespace vbase {

namespace {

// Without a wake-up descriptor, posted tasks are found by polling this often.
constexpr TimeDelta kFallbackPollInterval = TimeDelta::FromMilliseconds(1);

}  // namespace

PollMessagePump::PollMessagePump()
    : wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PollMessagePump::~PollMessagePump() {
  if (wake_fd_ >= 0) close(wake_fd_);
}

void PollMessagePump::Run(Delegate* delegate) {
  RunRecord record{delegate, run_ ? run_->depth + 1 : 1, false};
  RunRecord* previous = run_;
  run_ = &record;
  DoRunLoop();
  run_ = previous;
  if (!previous) quit_message_posted_ = false;
}

void PollMessagePump::DoRunLoop() {
  Delegate* delegate = run_->delegate;
  for (;;) {
    if (quit_message_posted_) {
      run_->should_quit = true;
      break;
    }
    bool did_work = source_ && source_->DispatchNativeEvents();
    if (run_->should_quit) break;

    did_work |= delegate->DoWork();
    if (run_->should_quit) break;

    did_work |= delegate->DoDelayedWork(&delayed_work_time_);
    if (run_->should_quit) break;
    if (did_work) continue;

    did_work = delegate->DoIdleWork();
    if (run_->should_quit) break;
    if (did_work) continue;

    // Nothing ran since this turn's native dispatch, so the source's own
    // queue is empty and sleeping on its descriptor loses no event.
    WaitForWork();
  }
}

void PollMessagePump::Quit() {
  if (run_) run_->should_quit = true;
}

void PollMessagePump::PostQuitMessage() { quit_message_posted_ = true; }

void PollMessagePump::ScheduleWork() {
  if (have_work_.exchange(true)) return;  // a wake-up is already on its way
  const uint64_t one = 1;
  if (wake_fd_ < 0 || write(wake_fd_, &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
    // EAGAIN means the counter is saturated, i.e. the descriptor is readable
    // anyway. Any other failure wakes nobody: clear the flag so that the next
    // post tries again instead of believing a wake-up is pending.
    if (wake_fd_ < 0 || errno != EAGAIN) have_work_.store(false);
  }
}

void PollMessagePump::ScheduleDelayedWork(TimeTicks delayed_work_time) {
  delayed_work_time_ = delayed_work_time;
}

void PollMessagePump::SetNativeEventSource(NativeEventSource* source) { source_ = source; }

void PollMessagePump::WaitForWork() {
  pollfd fds[2];
  nfds_t count = 0;
  if (wake_fd_ >= 0) fds[count++] = {wake_fd_, POLLIN, 0};
  if (source_ && source_->GetFd() >= 0) fds[count++] = {source_->GetFd(), POLLIN, 0};

  TimeDelta timeout = TimeDelta::FromMicroseconds(-1);  // infinite
  if (!delayed_work_time_.is_null()) {
    timeout = delayed_work_time_ - TimeTicks::Now();
    if (timeout < TimeDelta()) timeout = TimeDelta();
  }
  if (wake_fd_ < 0 && (timeout < TimeDelta() || timeout > kFallbackPollInterval)) {
    timeout = kFallbackPollInterval;
  }

  timespec ts{};
  if (timeout >= TimeDelta()) {
    ts.tv_sec = timeout.InMicroseconds() / kMicrosecondsPerSecond;
    ts.tv_nsec = (timeout.InMicroseconds() % kMicrosecondsPerSecond) * 1000;
  }
  const int ready = ppoll(fds, count, timeout >= TimeDelta() ? &ts : nullptr, nullptr);
  if (ready > 0 && wake_fd_ >= 0 && (fds[0].revents & POLLIN)) {
    uint64_t value = 0;
    [[maybe_unused]] ssize_t n = read(wake_fd_, &value, sizeof value);
    // Cleared before the loop looks at its queues again, so a post racing
    // with this turn writes a fresh wake-up rather than being missed.
    have_work_.store(false);
  }
}

}  // namespace vbase
