// The listener registry of observable values.
#include "settings/var.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(VarTest, NotifyRunsTheOneLatestListener) {
  Var<bool> flag;
  NotifyVar(flag);  // no listener: nothing happens
  int first = 0, second = 0;
  WatchVar(flag, [&] { ++first; });
  WatchVar(flag, [&] { ++second; });
  NotifyVar(flag);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  UnwatchVar(flag);
  NotifyVar(flag);
  EXPECT_EQ(second, 1);
}

TEST(VarTest, DestroyedVarTakesItsListenerAlong) {
  const void* address = nullptr;
  {
    Var<std::wstring> text;
    address = &text;
    WatchVar(text, [] {});
    EXPECT_TRUE(VarRegistry::IsWatched(address));
  }
  EXPECT_FALSE(VarRegistry::IsWatched(address));
}

// The running closure owns captured state; it must survive the listener
// removing or replacing itself (AddressSanitizer sees a use after free
// otherwise).
TEST(VarTest, ListenerMayUnwatchOrReplaceItsOwnVarWhileRunning) {
  Var<bool> flag;
  auto payload = std::make_shared<std::string>("still here");
  std::string seen;
  WatchVar(flag, [&, payload] {
    UnwatchVar(flag);
    seen = *payload;
  });
  payload.reset();
  NotifyVar(flag);
  EXPECT_EQ(seen, "still here");
  EXPECT_FALSE(VarRegistry::IsWatched(&flag));

  int replaced_runs = 0;
  WatchVar(flag, [&, guard = std::make_shared<int>(7)] {
    WatchVar(flag, [&] { ++replaced_runs; });
    EXPECT_EQ(*guard, 7);
  });
  NotifyVar(flag);
  NotifyVar(flag);
  EXPECT_EQ(replaced_runs, 1);
}

TEST(VarTest, NestedNotificationsOnOneThreadDoNotDeadlock) {
  Var<std::wstring> a;
  Var<std::wstring> b;
  int a_runs = 0, b_runs = 0;
  WatchVar(a, [&] {
    ++a_runs;
    NotifyVar(b);
  });
  WatchVar(b, [&] {
    const int entry = ++b_runs;
    if (a_runs < 2) NotifyVar(a);  // back into the first ...
    if (entry == 1) NotifyVar(b);  // ... and into itself
  });
  NotifyVar(a);
  EXPECT_EQ(a_runs, 2);
  EXPECT_EQ(b_runs, 3);
}

}  // namespace
