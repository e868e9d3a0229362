#include "ui/animation/ui_timers.h"

#include <gtest/gtest.h>

#include "base/message_loop.h"
#include "base/time.h"

namespace ui {
namespace {

// A hot fade running to its end on these timers: the window base's test on a
// real window; its course and the wake-up coalescing: the player's and the
// timer manager's tests on a manual clock.
TEST(UiTimersTest, EndingTheScopeCancelsTimersAndRestoresTheOuterOne) {
  vbase::MessageLoop loop;
  int runs = 0;
  vbase::WeakCallbackFlag flag;
  {
    UiTimerScope scope;
    ASSERT_EQ(UiTimerScope::current(), &scope.timers());
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
