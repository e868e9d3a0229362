// FrameworkThread: a thread that runs a MessageLoop, either on the calling
// thread (the UI thread: RunOnCurrentThreadWithLoop) or on a new one (Start).
//
// Lifecycle on the loop thread: the loop is created, Init() runs (the place
// to register with ThreadRegistry), then the start event is signalled, the
// loop runs, Cleanup() runs (the place to unregister), and the loop is
// destroyed with every closure still queued. Any registration left over is
// dropped when the run ends.
//
// Threads: Start, Stop and the destructor belong to the owner's thread;
// message_loop_proxy() and IsRunning() may be called from any thread.
//
// Destruction: Stop() quits the loop and joins the thread. A class that
// overrides Init or Cleanup must call Stop() in its own destructor: the
// FrameworkThread destructor stops too, but by then the derived part is gone
// and its hooks must not run any more.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "base/message_loop.h"
#include "base/thread.h"
#include "base/weak_callback.h"

namespace vbase {

class MessageLoopProxy;

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(std::wstring name);
  ~FrameworkThread() override;

  // Runs a loop of `type` on the calling thread until it quits; returns after
  // Cleanup and the loop's destruction.
  void RunOnCurrentThreadWithLoop(MessageLoop::Type type);

  // Starts a new thread with a loop of `type` and returns once Init has run
  // there, so posts through message_loop_proxy() are accepted. False if this
  // thread is already running or no thread could be started.
  bool Start(MessageLoop::Type type = MessageLoop::Type::kDefault);

  // Posts a non-nestable quit task, so the tasks already posted run first,
  // and joins the thread (unless called on it). Does nothing when not running.
  void Stop();

  bool IsRunning() const;
  // The FrameworkThread whose run the calling thread is in; null if none.
  static FrameworkThread* current();
  // The running loop's proxy; empty before the loop exists and after it ended.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy() const;
  const std::wstring& thread_name() const { return name_; }

 protected:
  virtual void Init() {}
  virtual void Cleanup() {}

 private:
  using Thread::Create;  // a loop thread is started with Start
  void Run() override;
  static std::unique_ptr<MessageLoop> CreateMessageLoop(MessageLoop::Type type);

  const std::wstring name_;
  MessageLoop::Type type_ = MessageLoop::Type::kDefault;  // set before the run starts

  mutable std::mutex mutex_;
  std::condition_variable started_cv_;
  bool started_ = false;   // the start event (auto-reset)
  bool running_ = false;
  bool stopping_ = false;
  std::shared_ptr<MessageLoopProxy> proxy_;  // while the loop exists
};

}  // namespace vbase
