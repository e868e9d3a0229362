#include "base/thread_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "base/framework_thread.h"
#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/weak_callback.h"

namespace {

using vbase::FrameworkThread;
using vbase::MessageLoop;
using vbase::ThreadRegistry;
using vbase::TimeDelta;

// A loop thread registered under one identifier for its whole run.
class RegisteredThread : public FrameworkThread {
 public:
  explicit RegisteredThread(int id) : FrameworkThread(L"RegisteredThread"), id_(id) {}
  ~RegisteredThread() override { Stop(); }
  bool registered = false;

 private:
  void Init() override { registered = ThreadRegistry::RegisterThread(id_); }
  void Cleanup() override { ThreadRegistry::UnregisterThread(); }
  const int id_;
};

// Lives on the loop thread; counts the calls that reach it in a counter that
// outlives it.
struct Row : vbase::SupportWeakCallback {
  explicit Row(std::atomic<int>& updates) : updates(updates) {}
  void Update() { ++updates; }
  std::atomic<int>& updates;
};

TEST(ThreadRegistry, PostsByIdentifierRunOnTheRegisteredThread) {
  RegisteredThread thread(7);
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.registered);
  std::atomic<bool> on_loop_thread{false};
  auto proxy = ThreadRegistry::GetMessageLoopProxy(7);
  ASSERT_TRUE(proxy);
  EXPECT_TRUE(ThreadRegistry::PostTask(7, [&] { on_loop_thread = proxy->BelongsToCurrentThread(); }));
  EXPECT_TRUE(ThreadRegistry::PostDelayedTask(7, [] {}, TimeDelta::FromMilliseconds(1)));
  thread.Stop();
  EXPECT_TRUE(on_loop_thread);
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(7));
}

TEST(ThreadRegistry, PostingToAnUnknownIdentifierFailsAndDestroysTheClosure) {
  auto marker = std::make_shared<int>(0);
  EXPECT_FALSE(ThreadRegistry::PostTask(12345, [marker] {}));
  EXPECT_FALSE(ThreadRegistry::PostDelayedTask(12345, [marker] {}, TimeDelta::FromSeconds(1)));
  EXPECT_EQ(marker.use_count(), 1);
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(12345));
  // Without a loop there is nothing to register or post to.
  EXPECT_FALSE(ThreadRegistry::RegisterThread(12345));
  EXPECT_FALSE(ThreadRegistry::PostDelayedTask([marker] {}, TimeDelta()));
  EXPECT_EQ(marker.use_count(), 1);
}

TEST(ThreadRegistry, OneThreadOneIdentifierAndOneIdentifierOneThread) {
  MessageLoop loop;
  ASSERT_TRUE(ThreadRegistry::RegisterThread(1));
  EXPECT_FALSE(ThreadRegistry::RegisterThread(2));  // would dangle after unregistering
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(2));
  EXPECT_TRUE(ThreadRegistry::RegisterThread(1));  // counted

  bool taken_elsewhere = true;
  std::thread([&] {
    MessageLoop other;
    taken_elsewhere = ThreadRegistry::RegisterThread(1);
  }).join();
  EXPECT_FALSE(taken_elsewhere);
  EXPECT_EQ(ThreadRegistry::GetMessageLoopProxy(1), loop.message_loop_proxy());

  ThreadRegistry::UnregisterThread();
  EXPECT_TRUE(ThreadRegistry::GetMessageLoopProxy(1));
  ThreadRegistry::UnregisterThread();
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(1));
  EXPECT_TRUE(ThreadRegistry::RegisterThread(2));  // free again
  ThreadRegistry::UnregisterThread();
}

TEST(ThreadRegistry, AThreadThatEndsRegisteredLeavesNoEntry) {
  std::thread([] {
    MessageLoop loop;
    EXPECT_TRUE(ThreadRegistry::RegisterThread(3));
  }).join();
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(3));
  EXPECT_FALSE(ThreadRegistry::PostTask(3, [] {}));
}

TEST(ThreadRegistry, PostingFromManyThreadsAtOnceKeepsEachThreadsOrder) {
  constexpr int kPosters = 4;
  constexpr int kPostsEach = 5000;
  RegisteredThread thread(0);
  ASSERT_TRUE(thread.Start());
  std::vector<std::vector<int>> received(kPosters);  // touched on the loop thread only
  std::atomic<bool> go{false};
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p) {
    posters.emplace_back([&, p] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kPostsEach; ++i) {
        ASSERT_TRUE(ThreadRegistry::PostTask(0, [&received, p, i] { received[p].push_back(i); }));
      }
    });
  }
  go = true;
  for (auto& poster : posters) poster.join();
  thread.Stop();
  for (int p = 0; p < kPosters; ++p) {
    ASSERT_EQ(received[p].size(), static_cast<size_t>(kPostsEach));
    for (int i = 0; i < kPostsEach; ++i) ASSERT_EQ(received[p][i], i);
  }
}

TEST(ThreadRegistry, PostsDuringAndAfterShutdownFailCleanlyOnThePoster) {
  auto thread = std::make_unique<RegisteredThread>(0);
  ASSERT_TRUE(thread->Start());
  // The row lives on the loop thread, as device rows live on the UI thread.
  std::unique_ptr<Row> row;
  std::atomic<int> updates{0};
  int updates_when_the_row_went = -1;
  std::shared_ptr<vbase::WeakCallback<std::function<void()>>> update;
  std::atomic<bool> update_ready{false};
  thread->message_loop_proxy()->PostTask([&] {
    row = std::make_unique<Row>(updates);
    update = std::make_shared<vbase::WeakCallback<std::function<void()>>>(
        row->ToWeakCallback(std::function<void()>([r = row.get()] { r->Update(); })));
    update_ready = true;
  });
  while (!update_ready) std::this_thread::yield();  // handed to the workers, as a row does

  std::atomic<int> accepted{0}, refused{0};
  std::atomic<bool> stop_posting{false};
  auto marker = std::make_shared<int>(0);
  std::vector<std::thread> workers;
  for (int w = 0; w < 3; ++w) {
    workers.emplace_back([&, w, callback = *update] {
      while (!stop_posting) {
        const bool ok = ThreadRegistry::PostDelayedTask(0, [callback, marker] { callback(); },
                                                        TimeDelta::FromMicroseconds(w * 50));
        (ok ? accepted : refused)++;
        // Posting flat out would keep the loop from ever becoming idle, and a
        // stop waits for idle.
        std::this_thread::sleep_for(std::chrono::microseconds(20));
      }
    });
  }
  while (accepted < 200) std::this_thread::yield();
  // Shutdown as the application does it: the row goes on the UI thread, then
  // the loop quits and the thread unregisters, while workers keep posting.
  thread->message_loop_proxy()->PostTask([&] {
    updates_when_the_row_went = updates;
    row.reset();
  });
  thread->Stop();
  while (refused < 200) std::this_thread::yield();
  stop_posting = true;
  for (auto& worker : workers) worker.join();

  EXPECT_GT(accepted.load(), 0);
  EXPECT_EQ(row, nullptr);
  EXPECT_EQ(updates, updates_when_the_row_went);  // the gone row was never reached
  EXPECT_TRUE(update->expired());
  EXPECT_EQ(marker.use_count(), 1);  // every closure destroyed, accepted or not
  EXPECT_FALSE(ThreadRegistry::PostTask(0, [marker] {}));
  EXPECT_EQ(marker.use_count(), 1);
  thread.reset();
}

// The run that ends a case posts the quit itself, so no case races a clock;
// that nothing was re-posted shows in the closure being gone.
TEST(ThreadRegistry, RepeatedTaskRunsItsCountOrUntilItsOwnerGoes) {
  struct Case {
    int times;
    TimeDelta delay;
    int last_run;     // the run that posts the quit
    bool owner_goes;  // ... and destroys the task's owner
  };
  for (const Case& c : {Case{3, TimeDelta::FromMilliseconds(1), 3, false},
                        Case{-1, TimeDelta(), 2, true}}) {
    MessageLoop loop;
    std::atomic<int> updates{0};
    auto row = std::make_unique<Row>(updates);
    auto closure_alive = std::make_shared<int>(0);
    {
      auto tick = row->ToWeakCallback([&, closure_alive] {
        row->Update();
        if (updates != c.last_run) return;
        if (c.owner_goes) row.reset();
        loop.PostTask([&loop] { loop.Quit(); });
      });
      EXPECT_FALSE(ThreadRegistry::PostRepeatedTask(tick, c.delay, 0));
      EXPECT_FALSE(ThreadRegistry::PostRepeatedTask(tick, c.delay, -2));
      ASSERT_TRUE(ThreadRegistry::PostRepeatedTask(tick, c.delay, c.times));
    }
    loop.PostDelayedTask([&loop] { loop.Quit(); }, TimeDelta::FromSeconds(60));  // a hang guard
    loop.Run();
    EXPECT_EQ(updates, c.last_run);
    EXPECT_EQ(closure_alive.use_count(), 1);
  }
}

TEST(ThreadRegistry, CurrentThreadDelayedPostRunsOnItsOwnLoop) {
  MessageLoop loop;
  std::string order;
  EXPECT_TRUE(ThreadRegistry::PostDelayedTask([&] { order += 'b'; loop.Quit(); },
                                              TimeDelta::FromMilliseconds(2)));
  EXPECT_TRUE(ThreadRegistry::PostDelayedTask([&] { order += 'a'; }, TimeDelta()));
  loop.Run();
  EXPECT_EQ(order, "ab");
}

}  // namespace
