// A timer environment whose clock moves only when the test says so.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <utility>

#include "ui/animation/timer_manager.h"

namespace ui::testing {

class ManualTimerEnvironment : public TimerEnvironment {
 public:
  std::chrono::microseconds Now() const override { return now_; }
  void PostDelayedTask(std::function<void()> task, std::chrono::microseconds delay) override {
    tasks_.emplace(now_ + delay, std::move(task));
    ++posted_;
  }

  // Runs the queued tasks in due order, each at its due time, up to `ms`.
  void AdvanceTo(double ms) {
    const auto target = ToMicros(ms);
    while (!tasks_.empty() && tasks_.begin()->first <= target) {
      auto node = tasks_.extract(tasks_.begin());
      if (node.key() > now_) now_ = node.key();
      node.mapped()();
    }
    now_ = target;
  }

  // Moves the clock to `ms` first, then runs whatever has come due (late).
  void JumpTo(double ms) {
    now_ = ToMicros(ms);
    AdvanceTo(ms);
  }

  size_t queued() const { return tasks_.size(); }
  int posted() const { return posted_; }

 private:
  static std::chrono::microseconds ToMicros(double ms) {
    return std::chrono::microseconds(static_cast<long long>(ms * 1000));
  }

  std::chrono::microseconds now_{0};
  std::multimap<std::chrono::microseconds, std::function<void()>> tasks_;
  int posted_ = 0;
};

}  // namespace ui::testing
