#include "base/message_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/message_loop_proxy.h"
#include "base/time.h"

namespace {

using vbase::MessageLoop;
using vbase::TimeDelta;
using vbase::TimeTicks;

// Runs the loop until it has nothing left to do now.
void RunUntilIdle(MessageLoop& loop) {
  loop.PostTask([&loop] { loop.Quit(); });
  loop.Run();
}

TEST(MessageLoop, ImmediateTasksRunInPostingOrderOnTheLoopThread) {
  MessageLoop loop;
  EXPECT_EQ(MessageLoop::current(), &loop);
  auto proxy = loop.message_loop_proxy();
  std::string order;
  for (char c : std::string("abc")) loop.PostTask([&order, c] { order += c; });
  // A zero delay through the proxy is an immediate post.
  EXPECT_TRUE(proxy->PostDelayedTask([&order] { order += 'd'; }, TimeDelta()));
  EXPECT_TRUE(proxy->PostNonNestableDelayedTask([&order] { order += 'e'; }, TimeDelta()));
  // A task posted by a task runs after those already queued.
  loop.PostTask([&] { loop.PostTask([&order] { order += 'z'; }); });
  loop.PostTask([&order] { order += 'f'; });
  RunUntilIdle(loop);
  EXPECT_EQ(order, "abcdefz");
}

TEST(MessageLoop, DelayedTasksRunByDueTimeAndSameDelayKeepsPostingOrder) {
  MessageLoop loop;
  std::vector<int> order;
  const TimeTicks posted = TimeTicks::Now();
  TimeTicks late_ran;
  loop.PostDelayedTask([&] { order.push_back(100); late_ran = TimeTicks::Now(); loop.Quit(); },
                       TimeDelta::FromMilliseconds(60));
  for (int i = 0; i < 20; ++i) {
    loop.PostDelayedTask([&order, i] { order.push_back(i); }, TimeDelta::FromMilliseconds(20));
  }
  // Posted last but due first.
  loop.PostDelayedTask([&order] { order.push_back(-1); }, TimeDelta::FromMilliseconds(5));
  loop.PostTask([&order] { order.push_back(-2); });
  loop.Run();

  std::vector<int> expected{-2, -1};
  for (int i = 0; i < 20; ++i) expected.push_back(i);
  expected.push_back(100);
  EXPECT_EQ(order, expected);
  EXPECT_GE((late_ran - posted).InMicroseconds(), 60000);  // never early
}

TEST(MessageLoop, NonNestableTaskWaitsUntilTheOutermostRunIsIdle) {
  MessageLoop loop;
  std::vector<std::string> order;
  loop.PostTask([&] {
    order.push_back("outer begin");
    loop.PostNonNestableTask([&] { order.push_back("non-nestable"); });
    loop.PostNonNestableDelayedTask([&] { order.push_back("non-nestable delayed"); },
                                    TimeDelta::FromMilliseconds(1));
    loop.PostTask([&] {
      EXPECT_TRUE(loop.IsNested());
      order.push_back("nestable");
    });
    loop.PostDelayedTask([&] { order.push_back("nestable delayed"); loop.Quit(); },
                         TimeDelta::FromMilliseconds(10));
    {
      vbase::ScopedNestableTaskAllower allow(&loop);
      loop.Run();  // nested; the delayed task ends it
    }
    EXPECT_FALSE(loop.NestableTasksAllowed());
    order.push_back("outer end");
    loop.Quit();  // the outermost run ends once the deferred tasks ran
  });
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"outer begin", "nestable", "nestable delayed",
                                             "outer end", "non-nestable",
                                             "non-nestable delayed"}));
}

// Records whether its closure was run and lets the test see when every copy
// of it is gone.
struct Probe {
  std::shared_ptr<int> alive = std::make_shared<int>(0);
  std::shared_ptr<bool> ran = std::make_shared<bool>(false);
  vbase::Closure Task() const {
    return [alive = alive, ran = ran] { *ran = true; };
  }
  bool Destroyed() const { return alive.use_count() == 1; }
};

struct DestructionRecorder : MessageLoop::DestructionObserver {
  void WillDestroyCurrentMessageLoop() override {
    ++calls;
    proxy_took_post = proxy->PostTask([] {});
  }
  std::shared_ptr<vbase::MessageLoopProxy> proxy;
  int calls = 0;
  bool proxy_took_post = true;
};

// Posts a task to the current loop from its destructor.
struct PostsWhenDestroyed {
  explicit PostsWhenDestroyed(vbase::Closure task) : task(std::move(task)) {}
  PostsWhenDestroyed(const PostsWhenDestroyed&) = default;
  ~PostsWhenDestroyed() {
    if (task) MessageLoop::current()->PostTask(std::move(task));
  }
  vbase::Closure task;
};

TEST(MessageLoop, DestroyedLoopDestroysQueuedClosuresWithoutRunningAny) {
  Probe immediate, delayed, non_nestable, in_heap, posted_by_destructor, detached_post;
  DestructionRecorder recorder;
  std::shared_ptr<vbase::MessageLoopProxy> proxy;
  {
    auto loop = std::make_unique<MessageLoop>();
    proxy = recorder.proxy = loop->message_loop_proxy();
    loop->AddDestructionObserver(&recorder);
    // One run moves these two into the delayed queue, where they stay.
    loop->PostDelayedTask(in_heap.Task(), TimeDelta::FromSeconds(10));
    auto poster = std::make_shared<PostsWhenDestroyed>(posted_by_destructor.Task());
    loop->PostDelayedTask([poster] {}, TimeDelta::FromSeconds(10));
    poster.reset();
    RunUntilIdle(*loop);
    // These are still in the incoming queue when the loop goes.
    loop->PostTask(immediate.Task());
    loop->PostDelayedTask(delayed.Task(), TimeDelta::FromSeconds(10));
    loop->PostNonNestableTask(non_nestable.Task());
  }
  for (const Probe* probe : {&immediate, &delayed, &non_nestable, &in_heap, &posted_by_destructor}) {
    EXPECT_TRUE(probe->Destroyed());
    EXPECT_FALSE(*probe->ran);
  }
  EXPECT_EQ(recorder.calls, 1);
  EXPECT_FALSE(recorder.proxy_took_post);  // detached before anything went
  EXPECT_EQ(MessageLoop::current(), nullptr);
  EXPECT_FALSE(proxy->PostTask(detached_post.Task()));
  EXPECT_TRUE(detached_post.Destroyed());
  EXPECT_FALSE(proxy->BelongsToCurrentThread());
}

struct CountingObserver : MessageLoop::TaskObserver {
  explicit CountingObserver(MessageLoop& loop) : loop(loop) {}
  void WillProcessTask(const vbase::PendingTask&) override {
    ++will;
    EXPECT_FALSE(loop.NestableTasksAllowed());  // no task may run inside another
  }
  void DidProcessTask(const vbase::PendingTask&) override {
    ++did;
    if (remove_after_first) loop.RemoveTaskObserver(this);
  }
  MessageLoop& loop;
  bool remove_after_first = false;
  int will = 0, did = 0;
};

TEST(MessageLoop, TaskObserversSurroundEveryTaskAndMayLeaveWhileNotified) {
  MessageLoop loop;
  CountingObserver stays(loop), leaves(loop);
  leaves.remove_after_first = true;
  loop.AddTaskObserver(&leaves);
  loop.AddTaskObserver(&stays);
  for (int i = 0; i < 3; ++i) loop.PostTask([] {});
  loop.PostDelayedTask([] {}, TimeDelta::FromMilliseconds(1));
  loop.PostDelayedTask([&loop] { loop.Quit(); }, TimeDelta::FromMilliseconds(2));
  loop.Run();
  EXPECT_EQ(stays.will, 5);
  EXPECT_EQ(stays.did, 5);
  EXPECT_EQ(leaves.will, 1);
  EXPECT_EQ(leaves.did, 1);
}

}  // namespace
