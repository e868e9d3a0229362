#include "base/ui_message_loop.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/native_event_source.h"

namespace {

using vbase::MessageLoop;
using vbase::TimeDelta;
using vbase::UIMessageLoop;

// Native events are bytes written to a pipe; each dispatch round reads every
// byte already there, like an XPending loop. A busy source never drains its
// pipe: it always has events.
class PipeEventSource : public vbase::NativeEventSource {
 public:
  PipeEventSource() {
    int fds[2];
    EXPECT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    read_fd_ = fds[0];
    write_fd_ = fds[1];
  }
  ~PipeEventSource() override {
    close(read_fd_);
    close(write_fd_);
  }

  // Any thread: queues one native event.
  void Send(char event) { EXPECT_EQ(write(write_fd_, &event, 1), 1); }

  int GetFd() const override { return read_fd_; }
  bool DispatchNativeEvents() override {
    ++rounds;
    if (busy) return true;
    bool any = false;
    char event;
    while (read(read_fd_, &event, 1) == 1) {
      any = true;
      EXPECT_EQ(std::this_thread::get_id(), loop_thread);
      if (on_event) on_event(event);
    }
    return any;
  }

  std::thread::id loop_thread = std::this_thread::get_id();
  std::function<void(char)> on_event;
  int rounds = 0;
  bool busy = false;

 private:
  int read_fd_ = -1;
  int write_fd_ = -1;
};

// A UI loop with the pipe source attached; the source is detached before
// either goes.
class UILoop : public ::testing::Test {
 protected:
  UILoop() { loop.SetNativeEventSource(&source); }
  ~UILoop() override { loop.SetNativeEventSource(nullptr); }

  UIMessageLoop loop;
  PipeEventSource source;
};

TEST_F(UILoop, AStreamOfPostedTasksCannotStarveNativeEvents) {
  int task_runs = 0;
  int runs_when_event_seen = -1;
  std::function<void()> repost = [&] {
    if (++task_runs == 1) source.Send('x');
    loop.PostTask(repost);
  };
  source.on_event = [&](char) {
    runs_when_event_seen = task_runs;
    vbase::PostQuitMessage();
  };
  loop.PostTask(repost);
  loop.Run();
  // One dispatch round lies between any two task runs.
  EXPECT_EQ(runs_when_event_seen, 1);
}

TEST_F(UILoop, AFloodOfNativeEventsCannotStarveTasks) {
  source.busy = true;
  source.Send('x');
  int rounds_at_delayed = 0;
  std::vector<int> rounds_at_task;
  for (int i = 0; i < 3; ++i) {
    loop.PostTask([&] { rounds_at_task.push_back(source.rounds); });
  }
  loop.PostDelayedTask([&] {
    rounds_at_delayed = source.rounds;
    vbase::PostQuitMessage();
  }, TimeDelta::FromMilliseconds(5));
  loop.Run();
  EXPECT_EQ(rounds_at_task, (std::vector<int>{1, 2, 3}));
  EXPECT_GT(rounds_at_delayed, 3);
}

TEST_F(UILoop, QuitMessageEndsTheNestedRunAndEveryEnclosingOne) {
  std::vector<std::string> order;
  bool left_over_ran = false;
  loop.PostTask([&] {
    loop.PostTask([&] {
      order.push_back("nested task");
      EXPECT_TRUE(vbase::PostQuitMessage());
      loop.PostTask([&] { left_over_ran = true; });
    });
    vbase::ScopedNestableTaskAllower allow(&loop);
    loop.Run();
    order.push_back("nested run returned");
  });
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"nested task", "nested run returned"}));
  EXPECT_FALSE(left_over_ran);  // queued tasks are not run after the quit

  // The message was consumed by the outermost run: the next run works.
  loop.PostTask([&] { loop.Quit(); });
  loop.Run();
  EXPECT_TRUE(left_over_ran);

  // Posted before a run, it ends that run at once.
  bool ran = false;
  loop.PostTask([&] { ran = true; });
  EXPECT_TRUE(vbase::PostQuitMessage());
  loop.Run();
  EXPECT_FALSE(ran);
}

TEST_F(UILoop, RunStateQuitEndsOnlyTheInnermostRunOnceIdle) {
  std::vector<std::string> order;
  loop.PostTask([&] {
    loop.PostTask([&] {
      loop.Quit();
      loop.PostTask([&] { order.push_back("runs before the nested run ends"); });
    });
    {
      vbase::ScopedNestableTaskAllower allow(&loop);
      loop.Run();
    }
    order.push_back("nested run returned");
    loop.PostTask([&] { order.push_back("outer continues"); loop.Quit(); });
  });
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"runs before the nested run ends",
                                             "nested run returned", "outer continues"}));
}

TEST_F(UILoop, ANestedRunInsideATaskRunsNoTasksUnlessAllowed) {
  bool inner_ran = false;
  loop.PostTask([&] {
    loop.PostTask([&] { inner_ran = true; });
    loop.PostDelayedTask([&] { inner_ran = true; }, TimeDelta::FromMicroseconds(1));
    // Only native events reach this nested run; one of them ends it.
    source.on_event = [&](char) { loop.Quit(); };
    source.Send('q');
    loop.Run();
    EXPECT_FALSE(inner_ran);
    source.on_event = nullptr;
    loop.Quit();
  });
  loop.Run();
  EXPECT_TRUE(inner_ran);
}

TEST_F(UILoop, DelayedTasksWakeTheLoopAndADetachedSourceIsNoLongerServed) {
  int events = 0;
  source.on_event = [&](char) { ++events; };
  source.Send('a');
  // A delayed task wakes the loop while it waits on the source too.
  loop.PostDelayedTask([&] { loop.Quit(); }, TimeDelta::FromMilliseconds(5));
  loop.Run();
  EXPECT_EQ(events, 1);

  loop.SetNativeEventSource(nullptr);
  source.Send('b');
  loop.PostDelayedTask([&] { loop.Quit(); }, TimeDelta::FromMilliseconds(5));
  loop.Run();
  EXPECT_EQ(events, 1);
}

TEST(PostQuitMessage, FailsWithoutAUILoop) {
  EXPECT_FALSE(vbase::PostQuitMessage());
  MessageLoop plain;
  EXPECT_FALSE(vbase::PostQuitMessage());
  EXPECT_EQ(UIMessageLoop::current(), nullptr);
}

}  // namespace
