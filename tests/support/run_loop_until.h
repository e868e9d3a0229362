// Test helper: runs a message loop on the current thread until a condition
// holds (checked every 10 ms) or a limit passes, so windows keep handling
// their events while a test waits for what they show. A hang guard, not a
// timing check.
#pragma once

#include <chrono>
#include <functional>

#include "base/message_loop.h"
#include "base/ui_message_loop.h"

namespace fleetsync_test {

inline bool RunLoopUntil(vbase::MessageLoop& loop, const std::function<bool()>& done,
                         int limit_ms = 5000) {
  bool result = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  std::function<void()> check = [&] {
    if (done()) {
      result = true;
      vbase::PostQuitMessage();
    } else if (std::chrono::steady_clock::now() > end) {
      vbase::PostQuitMessage();
    } else {
      loop.PostDelayedTask(check, vbase::TimeDelta::FromMilliseconds(10));
    }
  };
  loop.PostTask(check);
  loop.Run();
  return result;
}

// Keeps the loop running for `ms`.
inline void RunLoopFor(vbase::MessageLoop& loop, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  RunLoopUntil(loop, [end] { return std::chrono::steady_clock::now() >= end; }, ms + 1000);
}

}  // namespace fleetsync_test
