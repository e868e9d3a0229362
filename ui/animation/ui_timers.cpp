#include "ui/animation/ui_timers.h"

#include <cassert>

#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/time.h"

namespace ui {
namespace {

thread_local TimerManager* current_timers = nullptr;

}  // namespace

MessageLoopTimerEnvironment::MessageLoopTimerEnvironment() {
  vbase::MessageLoop* loop = vbase::MessageLoop::current();
  assert(loop && "the UI timers need the thread's message loop");
  if (loop) proxy_ = loop->message_loop_proxy();
}

MessageLoopTimerEnvironment::~MessageLoopTimerEnvironment() = default;

std::chrono::microseconds MessageLoopTimerEnvironment::Now() const {
  return std::chrono::microseconds(vbase::TimeTicks::Now().ToInternalValue());
}

void MessageLoopTimerEnvironment::PostDelayedTask(std::function<void()> task,
                                                  std::chrono::microseconds delay) {
  // Once the loop is gone the post fails and the wake-up is dropped, which is
  // all a wake-up of a loop that no longer runs can do.
  if (proxy_)
    proxy_->PostDelayedTask(std::move(task), vbase::TimeDelta::FromMicroseconds(delay.count()));
}

UiTimerScope::UiTimerScope() : timers_(environment_), previous_(current_timers) {
  current_timers = &timers_;
}

UiTimerScope::~UiTimerScope() {
  timers_.Shutdown();
  current_timers = previous_;
}

TimerManager* UiTimerScope::current() { return current_timers; }

}  // namespace ui
