#include "ui/animation/timer_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/animation/manual_timer_environment.h"

namespace ui {
namespace {

using testing::ManualTimerEnvironment;

class TimerManagerTest : public ::testing::Test {
 protected:
  ManualTimerEnvironment env_;
  TimerManager timers_{env_};
};

TEST_F(TimerManagerTest, RepeatCountRunsThatManyTimesAndBadCountsAreRefused) {
  vbase::WeakCallbackFlag flag;
  int runs = 0;
  ASSERT_TRUE(timers_.AddTimer(flag, [&] { ++runs; }, 20, 3));
  env_.AdvanceTo(1000);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(timers_.pending_count(), 0u);

  // 0 would wrap to "forever"; other negatives mean nothing.
  EXPECT_FALSE(timers_.AddTimer(flag, [&] { ++runs; }, 20, 0));
  EXPECT_FALSE(timers_.AddTimer(flag, [&] { ++runs; }, 20, -2));
  EXPECT_FALSE(timers_.AddTimer(flag, [&] { ++runs; }, -1, 1));
  EXPECT_FALSE(timers_.AddTimer(flag, nullptr, 20, 1));
  env_.AdvanceTo(2000);
  EXPECT_EQ(runs, 3);
}

TEST_F(TimerManagerTest, RunsNoEarlierThanDueAndRepeatsForever) {
  vbase::WeakCallbackFlag flag;
  std::vector<double> at;
  timers_.AddTimer(flag, [&] { at.push_back(timers_.Now().count() / 1000.0); }, 100,
                   TimerManager::kRepeatForever);
  env_.AdvanceTo(99);
  EXPECT_TRUE(at.empty());
  env_.AdvanceTo(1000);
  ASSERT_EQ(at.size(), 10u);
  for (size_t i = 0; i < at.size(); ++i) EXPECT_DOUBLE_EQ(at[i], 100.0 * (i + 1));
}

TEST_F(TimerManagerTest, CancelledFlagStopsTheTimer) {
  int runs = 0;
  {
    vbase::WeakCallbackFlag flag;
    timers_.AddTimer(flag, [&] { ++runs; }, 10, TimerManager::kRepeatForever);
    env_.AdvanceTo(100);
    EXPECT_GT(runs, 0);
  }
  const int before = runs;
  env_.AdvanceTo(1000);
  EXPECT_EQ(runs, before);
  EXPECT_EQ(timers_.pending_count(), 0u);

  vbase::WeakCallbackFlag flag;
  timers_.AddTimer(flag, [&] { ++runs; }, 10, TimerManager::kRepeatForever);
  flag.Cancel();
  env_.AdvanceTo(2000);
  EXPECT_EQ(runs, before);
}

TEST_F(TimerManagerTest, ShortTimerAddedBehindALongOneRearmsTheWakeUp) {
  vbase::WeakCallbackFlag flag;
  double long_at = -1, short_at = -1;
  timers_.AddTimer(flag, [&] { long_at = timers_.Now().count() / 1000.0; }, 5000);
  timers_.AddTimer(flag, [&] { short_at = timers_.Now().count() / 1000.0; }, 20);
  env_.AdvanceTo(6000);
  EXPECT_DOUBLE_EQ(short_at, 20);
  EXPECT_DOUBLE_EQ(long_at, 5000);
}

TEST_F(TimerManagerTest, WakeUpsAreCoalescedToTheTickPeriod) {
  vbase::WeakCallbackFlag flag;
  int fast = 0;
  timers_.AddTimer(flag, [&] { ++fast; }, 1, TimerManager::kRepeatForever);
  // Many timers due at about the same time share one wake-up.
  for (int i = 0; i < 50; ++i) timers_.AddTimer(flag, [] {}, 2);
  env_.AdvanceTo(1601);
  // One run at 1 ms, then one per 16 ms period.
  EXPECT_GE(fast, 100);
  EXPECT_LE(fast, 101);
  EXPECT_LE(env_.posted(), 104);
}

TEST_F(TimerManagerTest, CallbackMayCancelAnotherDueEntryOrAddTimers) {
  vbase::WeakCallbackFlag first_flag, second_flag;
  int second_runs = 0, added_runs = 0;
  timers_.AddTimer(first_flag, [&] {
    second_flag.Cancel();  // collected together with us, must not run
    timers_.AddTimer(first_flag, [&] { ++added_runs; }, 0);
  }, 10);
  timers_.AddTimer(second_flag, [&] { ++second_runs; }, 10);
  env_.AdvanceTo(500);
  EXPECT_EQ(second_runs, 0);
  EXPECT_EQ(added_runs, 1);
}

TEST(TimerManagerLifetimeTest, ShutdownAndDestructionLeaveQueuedWakeUpsHarmless) {
  ManualTimerEnvironment env;
  int runs = 0;
  vbase::WeakCallbackFlag flag;
  {
    TimerManager timers(env);
    timers.AddTimer(flag, [&] { ++runs; }, 10, TimerManager::kRepeatForever);
    env.AdvanceTo(50);
    timers.Shutdown();
    EXPECT_FALSE(timers.AddTimer(flag, [&] { ++runs; }, 10));
  }
  const int before = runs;
  env.AdvanceTo(1000);  // the manager is gone; its wake-up still runs
  EXPECT_EQ(runs, before);

  auto owned = std::make_unique<TimerManager>(env);
  owned->AddTimer(flag, [&] { owned.reset(); }, 10);
  owned->AddTimer(flag, [&] { ++runs; }, 10);
  env.AdvanceTo(2000);  // destroyed by its own callback
  EXPECT_EQ(owned, nullptr);
  EXPECT_EQ(runs, before);
}

}  // namespace
}  // namespace ui
