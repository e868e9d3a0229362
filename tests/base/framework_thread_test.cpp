#include "base/framework_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/message_loop_proxy.h"
#include "base/thread_registry.h"
#include "base/thread_tls_data.h"
#include "base/ui_message_loop.h"

namespace {

using vbase::FrameworkThread;
using vbase::MessageLoop;
using vbase::ThreadRegistry;
using vbase::TimeDelta;

// A thread whose hooks use its own members, as real derived threads do.
class RecordingThread : public FrameworkThread {
 public:
  RecordingThread() : FrameworkThread(L"RecordingThread") {}
  ~RecordingThread() override { Stop(); }  // before the members below go

  std::vector<std::string> events;  // written on the loop thread only
  std::atomic<bool> init_done{false};
  bool quit_properly_in_cleanup = false;

 protected:
  void Init() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a slow init
    events.push_back("init");
    init_done = true;
  }
  void Cleanup() override {
    quit_properly_in_cleanup = vbase::ThreadTlsData::Current().quit_properly;
    events.push_back("cleanup");
  }
};

TEST(FrameworkThread, StartReturnsOnceInitRanAndTheLoopTakesPosts) {
  RecordingThread thread;
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(thread.init_done);
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_FALSE(thread.Start());  // already running
  auto proxy = thread.message_loop_proxy();
  ASSERT_TRUE(proxy);
  EXPECT_FALSE(proxy->BelongsToCurrentThread());
  EXPECT_TRUE(proxy->PostTask([&thread] {
    EXPECT_EQ(FrameworkThread::current(), &thread);
    thread.events.push_back("task");
  }));
  EXPECT_EQ(FrameworkThread::current(), nullptr);
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "task", "cleanup"}));
  EXPECT_TRUE(thread.quit_properly_in_cleanup);
  EXPECT_FALSE(thread.message_loop_proxy());
  EXPECT_FALSE(proxy->PostTask([] {}));  // the loop is gone
}

TEST(FrameworkThread, StopRunsTasksPostedBeforeItAndDestroysLaterDelayedOnes) {
  auto marker = std::make_shared<int>(0);
  bool delayed_ran = false;
  {
    RecordingThread thread;
    ASSERT_TRUE(thread.Start(MessageLoop::Type::kIO));
    auto proxy = thread.message_loop_proxy();
    for (int i = 0; i < 100; ++i) {
      proxy->PostTask([&thread, i] { thread.events.push_back(std::to_string(i)); });
    }
    proxy->PostDelayedTask([marker, &delayed_ran] { delayed_ran = true; }, TimeDelta::FromSeconds(30));
    thread.Stop();
    EXPECT_EQ(thread.events.size(), 102u);
    EXPECT_EQ(thread.events[100], "99");
  }
  EXPECT_FALSE(delayed_ran);
  EXPECT_EQ(marker.use_count(), 1);
}

TEST(FrameworkThread, DestroyingTheDerivedThreadStopsItWhileItsHooksStillWork) {
  auto thread = std::make_unique<RecordingThread>();
  ASSERT_TRUE(thread->Start(MessageLoop::Type::kUI));
  thread->message_loop_proxy()->PostTask([] {});
  thread.reset();  // Cleanup ran on a whole object; ASan/TSan would see otherwise
}

TEST(FrameworkThread, StopWithoutStartAndSecondStopDoNothing) {
  RecordingThread thread;
  thread.Stop();
  EXPECT_TRUE(thread.events.empty());
  ASSERT_TRUE(thread.Start());
  thread.Stop();
  thread.Stop();
  EXPECT_EQ(thread.events.size(), 2u);
}

TEST(FrameworkThread, ALoopThatQuitByItselfIsJoinedByStop) {
  RecordingThread thread;
  ASSERT_TRUE(thread.Start(MessageLoop::Type::kUI));
  thread.message_loop_proxy()->PostTask([] { vbase::PostQuitMessage(); });
  thread.Stop();
  EXPECT_EQ(thread.events.back(), "cleanup");
  EXPECT_FALSE(thread.quit_properly_in_cleanup);
}

// The UI thread's way of running: its loop on the calling thread, registered
// as identifier 0, ended by the quit message.
class MainThread : public FrameworkThread {
 public:
  MainThread() : FrameworkThread(L"MainThread") {}
  ~MainThread() override { Stop(); }
  bool registered = false;
  bool ran_task = false;

 private:
  void Init() override {
    registered = ThreadRegistry::RegisterThread(0);
    ThreadRegistry::PostDelayedTask(
        [this] {
          ran_task = true;
          vbase::PostQuitMessage();
        },
        TimeDelta::FromMilliseconds(5));
  }
  void Cleanup() override { ThreadRegistry::UnregisterThread(); }
};

TEST(FrameworkThread, RunsAUILoopOnTheCallingThread) {
  MainThread main_thread;
  main_thread.RunOnCurrentThreadWithLoop(MessageLoop::Type::kUI);
  EXPECT_TRUE(main_thread.registered);
  EXPECT_TRUE(main_thread.ran_task);
  EXPECT_FALSE(main_thread.IsRunning());
  EXPECT_EQ(MessageLoop::current(), nullptr);
  EXPECT_FALSE(ThreadRegistry::GetMessageLoopProxy(0));
  EXPECT_EQ(main_thread.thread_name(), L"MainThread");
}

}  // namespace
