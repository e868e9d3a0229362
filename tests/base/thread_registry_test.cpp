#include "base/thread_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "base/framework_thread.h"
#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/ui_message_loop.h"
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

TEST(ThreadRegistry, PostingToAnUnknownIdentifierFailsAndTheCurrentLoopTakesDelayedPosts) {
  auto marker = std::make_shared<int>(0);
  EXPECT_FALSE(ThreadRegistry::PostTask(12345, [marker] {}));
  EXPECT_FALSE(ThreadRegistry::PostDelayedTask(12345, [marker] {}, TimeDelta::FromSeconds(1)));
  EXPECT_EQ(marker.use_count(), 1);
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(12345));
  // Without a loop there is nothing to register or post to.
  EXPECT_FALSE(ThreadRegistry::RegisterThread(12345));
  EXPECT_FALSE(ThreadRegistry::PostDelayedTask([marker] {}, TimeDelta()));
  EXPECT_EQ(marker.use_count(), 1);

  // With one, a delayed post to the current thread runs on its loop.
  MessageLoop loop;
  EXPECT_TRUE(ThreadRegistry::PostDelayedTask([&] { loop.Quit(); }, TimeDelta::FromMilliseconds(2)));
  loop.Run();
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

  // A thread that ends registered leaves no entry.
  std::thread([] {
    MessageLoop loop;
    EXPECT_TRUE(ThreadRegistry::RegisterThread(3));
  }).join();
  EXPECT_FALSE(ThreadRegistry::PostTask(3, [] {}));
}

// Shutdown as the application does it, while workers keep posting weak
// updates of a row: the row goes on the UI thread, the loop ends by the quit
// message and the thread unregisters. Every post after that fails on the
// poster, every closure is destroyed, and the gone row is never reached.
TEST(ThreadRegistry, PostsDuringAndAfterShutdownFailCleanlyOnThePoster) {
  RegisteredThread thread(0);
  ASSERT_TRUE(thread.Start(MessageLoop::Type::kUI));
  std::atomic<int> updates{0};
  int updates_when_the_row_went = -1;
  std::unique_ptr<Row> row;
  using Update = vbase::WeakCallback<std::function<void()>>;
  std::promise<Update> made;  // made on the loop thread, as a row makes it
  thread.message_loop_proxy()->PostTask([&] {
    row = std::make_unique<Row>(updates);
    made.set_value(row->ToWeakCallback(std::function<void()>([r = row.get()] { r->Update(); })));
  });
  const Update update = made.get_future().get();

  std::atomic<int> accepted{0}, refused{0};
  auto marker = std::make_shared<int>(0);
  std::vector<std::thread> workers;
  for (int w = 0; w < 3; ++w) {
    workers.emplace_back([&, w] {
      while (refused < 200) {
        const bool ok = ThreadRegistry::PostDelayedTask(0, [update, marker] { update(); },
                                                        TimeDelta::FromMicroseconds(w * 50));
        (ok ? accepted : refused)++;
      }
    });
  }
  while (accepted < 200) std::this_thread::yield();
  thread.message_loop_proxy()->PostTask([&] {
    updates_when_the_row_went = updates;
    row.reset();
    vbase::PostQuitMessage();
  });
  thread.Stop();
  for (auto& worker : workers) worker.join();

  EXPECT_EQ(row, nullptr);
  EXPECT_EQ(updates, updates_when_the_row_went);
  EXPECT_TRUE(update.expired());
  EXPECT_EQ(marker.use_count(), 1);
  EXPECT_FALSE(ThreadRegistry::PostTask(0, [marker] {}));
  EXPECT_EQ(marker.use_count(), 1);
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

}  // namespace
