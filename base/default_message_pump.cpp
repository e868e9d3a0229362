#include "base/default_message_pump.h"

#include <chrono>

namespace vbase {

void DefaultMessagePump::Run(Delegate* delegate) {
  for (;;) {
    bool did_work = delegate->DoWork();
    if (should_quit_) break;

    did_work |= delegate->DoDelayedWork(&delayed_work_time_);
    if (should_quit_) break;
    if (did_work) continue;

    did_work = delegate->DoIdleWork();
    if (should_quit_) break;
    if (did_work) continue;

    if (!delayed_work_time_.is_null() && delayed_work_time_ <= TimeTicks::Now()) {
      delayed_work_time_ = TimeTicks();  // due now: go straight back to work
      continue;
    }
    Wait(delayed_work_time_);
  }
  should_quit_ = false;
}

void DefaultMessagePump::Quit() { should_quit_ = true; }

void DefaultMessagePump::ScheduleWork() {
  {
    std::lock_guard<std::mutex> lock(event_mutex_);
    event_signalled_ = true;
  }
  event_cv_.notify_one();
}

void DefaultMessagePump::ScheduleDelayedWork(TimeTicks delayed_work_time) {
  delayed_work_time_ = delayed_work_time;
}

void DefaultMessagePump::Wait(TimeTicks until) {
  std::unique_lock<std::mutex> lock(event_mutex_);
  if (until.is_null()) {
    event_cv_.wait(lock, [this] { return event_signalled_; });
  } else {
    const TimeDelta delay = until - TimeTicks::Now();
    event_cv_.wait_for(lock, std::chrono::microseconds(delay.InMicroseconds()),
                       [this] { return event_signalled_; });
  }
  event_signalled_ = false;
}

}  // namespace vbase
