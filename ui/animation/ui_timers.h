// The UI thread's timer manager, running on that thread's message loop.
//
// Contract: create one UiTimerScope on the UI thread after its message loop
// exists and destroy it before the loop goes (the application does this
// around its UI run). While it lives, UiTimerScope::current() on that thread
// is its manager; elsewhere, or outside the scope, it is null and timed work
// should take effect at once. Destroying the scope cancels every timer.
#pragma once

#include <memory>

#include "ui/animation/timer_manager.h"

namespace vbase {
class MessageLoopProxy;
}

namespace ui {

// Time from the monotonic clock; wake-ups as delayed tasks of one loop.
class MessageLoopTimerEnvironment : public TimerEnvironment {
 public:
  // Posts to the calling thread's current loop, which must exist.
  MessageLoopTimerEnvironment();
  ~MessageLoopTimerEnvironment() override;

  std::chrono::microseconds Now() const override;
  void PostDelayedTask(std::function<void()> task, std::chrono::microseconds delay) override;

 private:
  std::shared_ptr<vbase::MessageLoopProxy> proxy_;
};

class UiTimerScope {
 public:
  UiTimerScope();
  ~UiTimerScope();
  UiTimerScope(const UiTimerScope&) = delete;
  UiTimerScope& operator=(const UiTimerScope&) = delete;

  TimerManager& timers() { return timers_; }

  // The calling thread's manager, or null.
  static TimerManager* current();

 private:
  MessageLoopTimerEnvironment environment_;
  TimerManager timers_;
  TimerManager* previous_;
};

}  // namespace ui
