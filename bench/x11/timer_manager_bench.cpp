// The timer manager's cost per wake-up with many live timers (every control
// of a long device list fading at once), on a manual clock.
#include <benchmark/benchmark.h>

#include <deque>
#include <vector>

#include "ui/animation/timer_manager.h"

namespace {

class QueueEnvironment : public ui::TimerEnvironment {
 public:
  std::chrono::microseconds Now() const override { return now; }
  void PostDelayedTask(std::function<void()> task, std::chrono::microseconds delay) override {
    tasks.push_back({now + delay, std::move(task)});
  }
  // Runs the earliest queued wake-up at its due time.
  void RunNext() {
    size_t best = 0;
    for (size_t i = 1; i < tasks.size(); ++i)
      if (tasks[i].first < tasks[best].first) best = i;
    auto task = std::move(tasks[best]);
    tasks.erase(tasks.begin() + static_cast<long>(best));
    if (task.first > now) now = task.first;
    task.second();
  }

  std::chrono::microseconds now{0};
  std::deque<std::pair<std::chrono::microseconds, std::function<void()>>> tasks;
};

void BM_WakeUpWithRepeatingTimers(benchmark::State& state) {
  QueueEnvironment env;
  ui::TimerManager timers(env);
  std::vector<vbase::WeakCallbackFlag> flags(static_cast<size_t>(state.range(0)));
  int64_t calls = 0;
  for (auto& flag : flags) timers.AddTimer(flag, [&] { ++calls; }, 1, ui::TimerManager::kRepeatForever);
  for (auto _ : state) env.RunNext();
  state.counters["callbacks_per_wakeup"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_WakeUpWithRepeatingTimers)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace
