#include "engine/wake_semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Maximum count 1: releases on a released semaphore are absorbed.
TEST(WakeSemaphore, ManyReleasesLetOneAcquireThrough) {
  WakeSemaphore semaphore(false);
  EXPECT_FALSE(semaphore.TryAcquire());
  for (int i = 0; i < 5; ++i) semaphore.Release();
  EXPECT_TRUE(semaphore.TryAcquire());
  EXPECT_FALSE(semaphore.TryAcquire());
  WakeSemaphore released(true);
  EXPECT_TRUE(released.TryAcquire());
}

TEST(WakeSemaphore, ReleaseFromAnotherThreadWakesAWaiter) {
  WakeSemaphore semaphore(false);
  std::atomic<int> passes{0};
  std::thread waiter([&] {
    semaphore.Acquire();
    ++passes;
    semaphore.Acquire();
    ++passes;
  });
  semaphore.Release();
  while (passes.load() < 1) std::this_thread::yield();
  semaphore.Release();
  waiter.join();
  EXPECT_EQ(passes.load(), 2);
  EXPECT_FALSE(semaphore.TryAcquire());
}

}  // namespace
