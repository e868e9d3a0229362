// Test helper: polls a condition that another thread or process makes true.
// A hang guard, not a timing check: the limit is generous on purpose.
#pragma once

#include <chrono>
#include <thread>

namespace fleetsync_test {

// A costly predicate (a process start, a screen read) asks for a longer
// `interval`, so that polling does not itself load the machine.
template <typename Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds limit = std::chrono::seconds(20),
               std::chrono::milliseconds interval = std::chrono::milliseconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(interval);
  }
  return true;
}

}  // namespace fleetsync_test
