#include "ui/animation/ui_timers.h"

#include <gtest/gtest.h>

#include "base/message_loop.h"
#include "base/time.h"
#include "ui/animation/fades.h"

namespace ui {
namespace {

TEST(UiTimersTest, HotFadeRunsToTheEndOnTheThreadsMessageLoop) {
  vbase::MessageLoop loop;
  EXPECT_EQ(UiTimerScope::current(), nullptr);
  UiTimerScope scope;
  ASSERT_EQ(UiTimerScope::current(), &scope.timers());

  std::vector<int> values;
  auto player = CreateHotFadePlayer(scope.timers(), [&](int v) { values.push_back(v); });
  const vbase::TimeTicks start = vbase::TimeTicks::Now();
  player->SetCompleteCallback([&] { loop.Quit(); });
  player->Start();
  loop.Run();
  const int64_t elapsed_ms = (vbase::TimeTicks::Now() - start).InMilliseconds();

  ASSERT_FALSE(values.empty());
  EXPECT_EQ(values.back(), 255);
  EXPECT_GE(elapsed_ms, 250);
  // One value per wake-up at most: the 1 ms tick interval is coalesced.
  EXPECT_LE(values.size(), 250u / 16 + 2);
}

TEST(UiTimersTest, EndingTheScopeCancelsTimersAndRestoresTheOuterOne) {
  vbase::MessageLoop loop;
  int runs = 0;
  vbase::WeakCallbackFlag flag;
  {
    UiTimerScope scope;
    scope.timers().AddTimer(flag, [&] { ++runs; }, 10, TimerManager::kRepeatForever);
  }
  EXPECT_EQ(UiTimerScope::current(), nullptr);
  // The queued wake-up finds no manager; the loop ends once idle.
  loop.PostDelayedTask([&] { loop.Quit(); }, vbase::TimeDelta::FromMilliseconds(50));
  loop.Run();
  EXPECT_EQ(runs, 0);
}

}  // namespace
}  // namespace ui
