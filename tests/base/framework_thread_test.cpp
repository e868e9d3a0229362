#include "base/framework_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/message_loop_proxy.h"
#include "base/thread_tls_data.h"
#include "base/ui_message_loop.h"

namespace {

using vbase::FrameworkThread;
using vbase::MessageLoop;

// A thread whose hooks use its own members, as real derived threads do.
class RecordingThread : public FrameworkThread {
 public:
  RecordingThread() : FrameworkThread(L"RecordingThread") {}
  ~RecordingThread() override { Stop(); }  // before the members below go

  // Written on the loop thread only; shared so that it outlives the thread.
  std::shared_ptr<std::vector<std::string>> events = std::make_shared<std::vector<std::string>>();
  std::chrono::milliseconds init_delay{0};  // set before Start
  std::atomic<bool> init_done{false};
  bool quit_properly_in_cleanup = false;

 protected:
  void Init() override {
    std::this_thread::sleep_for(init_delay);
    events->push_back("init");
    init_done = true;
  }
  void Cleanup() override {
    quit_properly_in_cleanup = vbase::ThreadTlsData::Current().quit_properly;
    events->push_back("cleanup");
  }
};

TEST(FrameworkThread, StartReturnsOnceInitRanAndTheLoopTakesPosts) {
  RecordingThread thread;
  thread.Stop();  // never started: nothing happens
  EXPECT_TRUE(thread.events->empty());
  thread.init_delay = std::chrono::milliseconds(20);  // a slow init
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(thread.init_done);
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_FALSE(thread.Start());  // already running
  auto proxy = thread.message_loop_proxy();
  ASSERT_TRUE(proxy);
  EXPECT_FALSE(proxy->BelongsToCurrentThread());
  EXPECT_TRUE(proxy->PostTask([&thread] {
    EXPECT_EQ(FrameworkThread::current(), &thread);
    thread.events->push_back("task");
  }));
  EXPECT_EQ(FrameworkThread::current(), nullptr);
  thread.Stop();
  thread.Stop();  // a second stop does nothing
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(*thread.events, (std::vector<std::string>{"init", "task", "cleanup"}));
  EXPECT_TRUE(thread.quit_properly_in_cleanup);
  EXPECT_FALSE(thread.message_loop_proxy());
  EXPECT_FALSE(proxy->PostTask([] {}));  // the loop is gone
}

// The derived thread's destructor stops it: tasks posted before run, then its
// own cleanup (delayed ones not yet due go unrun with the loop: its own case).
TEST(FrameworkThread, StopRunsTasksPostedBeforeIt) {
  std::shared_ptr<std::vector<std::string>> events;
  {
    RecordingThread thread;
    events = thread.events;
    ASSERT_TRUE(thread.Start(MessageLoop::Type::kIO));
    auto proxy = thread.message_loop_proxy();
    for (int i = 0; i < 100; ++i) {
      proxy->PostTask([&thread, i] { thread.events->push_back(std::to_string(i)); });
    }
  }
  EXPECT_EQ(events->size(), 102u);
  EXPECT_EQ((*events)[100], "99");
  EXPECT_EQ(events->back(), "cleanup");
}

// Counts, per thread, where the closure that holds it is destroyed.
struct DestructionSite {
  DestructionSite(std::atomic<int>& on_poster, std::atomic<int>& elsewhere)
      : on_poster(on_poster), elsewhere(elsewhere) {}
  ~DestructionSite() { ++(std::this_thread::get_id() == poster ? on_poster : elsewhere); }
  const std::thread::id poster = std::this_thread::get_id();
  std::atomic<int>& on_poster;
  std::atomic<int>& elsewhere;
};

// The loop ends by itself (the quit message) while Stop and a poster post to
// it, so that posts land in the middle of the loop's destruction: each post is
// either taken, its closure run or destroyed on the loop thread, or refused,
// its closure destroyed on the poster; once refused, always refused.
TEST(FrameworkThread, PostsRacingALoopThatEndsByItselfAreTakenOrRefusedWhole) {
  for (int round = 0; round < 50; ++round) {
    RecordingThread thread;
    ASSERT_TRUE(thread.Start(MessageLoop::Type::kUI));
    auto proxy = thread.message_loop_proxy();
    std::atomic<int> ran{0}, on_poster{0}, elsewhere{0};
    int taken = 0, refused = 0, taken_after_refusal = 0;
    std::thread poster([&] {
      while (refused < 10) {
        auto site = std::make_shared<DestructionSite>(on_poster, elsewhere);
        const bool ok = proxy->PostTask([site = std::move(site), &ran] { ++ran; });
        if (!ok) ++refused;
        else if (refused > 0) ++taken_after_refusal;
        else ++taken;
      }
    });
    while (ran < 10) std::this_thread::yield();
    proxy->PostTask([] { vbase::PostQuitMessage(); });
    thread.Stop();
    poster.join();
    EXPECT_EQ(taken_after_refusal, 0);
    EXPECT_EQ(elsewhere, taken);
    EXPECT_EQ(on_poster, refused);
    EXPECT_LE(ran, taken);
    EXPECT_EQ(thread.events->back(), "cleanup");
    EXPECT_FALSE(thread.quit_properly_in_cleanup);  // it ended by itself
  }
}

}  // namespace
