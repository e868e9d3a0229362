// The pump of loops that have no native events to wait for: sleeps on an
// auto-reset event (mutex + condition variable) until work is scheduled or
// the next delayed task is due.
#pragma once

#include <condition_variable>
#include <mutex>

#include "base/message_pump.h"

namespace vbase {

class DefaultMessagePump final : public MessagePump {
 public:
  void Run(Delegate* delegate) override;
  void Quit() override;
  void ScheduleWork() override;
  void ScheduleDelayedWork(TimeTicks delayed_work_time) override;

 private:
  // Sleeps until the event is signalled or `until` passes (never if null),
  // then resets the event.
  void Wait(TimeTicks until);

  std::mutex event_mutex_;
  std::condition_variable event_cv_;
  bool event_signalled_ = false;  // guarded by event_mutex_

  // Loop thread only.
  bool should_quit_ = false;
  TimeTicks delayed_work_time_;
};

}  // namespace vbase
