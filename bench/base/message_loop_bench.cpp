// Throughput of posting between two threads and lateness of 1 ms delayed
// tasks, for the default (condition variable) and the poll() pump.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "base/framework_thread.h"
#include "base/message_loop_proxy.h"
#include "base/time.h"

namespace {

using vbase::FrameworkThread;
using vbase::MessageLoop;
using vbase::TimeDelta;
using vbase::TimeTicks;

MessageLoop::Type LoopType(const benchmark::State& state) {
  return state.range(0) == 0 ? MessageLoop::Type::kDefault : MessageLoop::Type::kUI;
}

// One poster thread (the benchmark's) posts batches to a loop thread and
// waits until the batch has run.
void BM_PostTaskBetweenThreads(benchmark::State& state) {
  constexpr int kBatch = 10000;
  FrameworkThread thread(L"bench");
  thread.Start(LoopType(state));
  auto proxy = thread.message_loop_proxy();
  std::atomic<int64_t> ran{0};
  int64_t posted = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) {
      proxy->PostTask([&ran] { ran.fetch_add(1, std::memory_order_relaxed); });
    }
    posted += kBatch;
    while (ran.load(std::memory_order_relaxed) < posted) std::this_thread::yield();
  }
  state.SetItemsProcessed(posted);
  thread.Stop();
}
BENCHMARK(BM_PostTaskBetweenThreads)->Arg(0)->Arg(1)->ArgName("ui")->UseRealTime()->Unit(benchmark::kMillisecond);

// A chain of delayed tasks, each posted 1 ms ahead by the previous one from
// the loop thread; lateness = run time - due time.
void BM_DelayedTaskLateness(benchmark::State& state) {
  constexpr int kTasks = 1000;
  const TimeDelta delay = TimeDelta::FromMilliseconds(1);
  FrameworkThread thread(L"bench");
  thread.Start(LoopType(state));
  auto proxy = thread.message_loop_proxy();
  std::vector<int64_t> lateness_us;
  lateness_us.reserve(kTasks);

  for (auto _ : state) {
    lateness_us.clear();
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    std::function<void(TimeTicks)> step = [&](TimeTicks due) {
      lateness_us.push_back((TimeTicks::Now() - due).InMicroseconds());
      if (static_cast<int>(lateness_us.size()) == kTasks) {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        done_cv.notify_one();
        return;
      }
      const TimeTicks next_due = TimeTicks::Now() + delay;
      MessageLoop::current()->PostDelayedTask([&step, next_due] { step(next_due); }, delay);
    };
    const TimeTicks first_due = TimeTicks::Now() + delay;
    proxy->PostDelayedTask([&step, first_due] { step(first_due); }, delay);
    std::unique_lock<std::mutex> lock(mutex);
    done_cv.wait(lock, [&] { return done; });
  }
  thread.Stop();

  std::sort(lateness_us.begin(), lateness_us.end());
  state.counters["median_us"] = static_cast<double>(lateness_us[lateness_us.size() / 2]);
  state.counters["p99_us"] = static_cast<double>(lateness_us[lateness_us.size() * 99 / 100]);
  state.counters["max_us"] = static_cast<double>(lateness_us.back());
}
BENCHMARK(BM_DelayedTaskLateness)->Arg(0)->Arg(1)->ArgName("ui")->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
