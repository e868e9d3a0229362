// MessageLoop: the queue of closures of one thread and the run that executes
// them.
//
// Threads: a loop is created, run and destroyed on one thread, which it
// becomes the current loop of (MessageLoop::current()). The Post* calls may be
// made from any thread while the loop is alive; code that may outlive the
// loop posts through message_loop_proxy() instead, which fails cleanly once
// the loop is gone. Everything else is for the loop thread only.
//
// Order: immediate tasks run in posting order. Delayed tasks run by due time;
// tasks due at the same time run in the order they reached the delayed queue.
// A non-nestable task posted while a nested run is active waits until the
// outermost run is idle.
//
// Quitting: Quit() lets the run finish what is due now; a run whose queue is
// never empty (posts arriving faster than they run) does not end. Tasks must
// not throw.
//
// Shutdown: destroying the loop first detaches the proxy, so that no post
// through it reaches a loop whose destruction has begun, then destroys every
// queued closure without running it and notifies the destruction observers.
// A post from another thread touches only this class's incoming queue and its
// pump reference, never a virtual function, so a derived loop's destructor
// has nothing a racing post could reach.
//
// Lock order: a proxy's lock, then the incoming-queue lock. The pump is woken
// after the incoming lock is released, only when the incoming queue turns
// from empty to non-empty.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/closure.h"
#include "base/message_pump.h"
#include "base/observer_list.h"
#include "base/pending_task.h"
#include "base/time.h"

namespace vbase {

class MessageLoopProxy;

class MessageLoop : public MessagePump::Delegate {
 public:
  enum class Type { kDefault = 0, kUI = 1, kIO = 2 };

  // Observes every task the loop runs (loop thread).
  class TaskObserver {
   public:
    virtual void WillProcessTask(const PendingTask& task) = 0;
    virtual void DidProcessTask(const PendingTask& task) = 0;

   protected:
    virtual ~TaskObserver() = default;
  };

  // Told, on the loop thread, after the proxy was detached and the last task
  // destroyed.
  class DestructionObserver {
   public:
    virtual void WillDestroyCurrentMessageLoop() = 0;

   protected:
    virtual ~DestructionObserver() = default;
  };

  // A default loop with a DefaultMessagePump, current on the calling thread.
  MessageLoop();
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The calling thread's loop; null on threads without one.
  static MessageLoop* current();

  // Any thread.
  void PostTask(Closure task);
  void PostDelayedTask(Closure task, TimeDelta delay);
  void PostNonNestableTask(Closure task);
  void PostNonNestableDelayedTask(Closure task, TimeDelta delay);

  // Shared reference to this loop's proxy; valid for as long as it is held.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy() const { return proxy_; }
  Type type() const { return type_; }

  // Loop thread only. Run may be called from inside a task (a nested run);
  // tasks only run in it while nestable tasks are allowed (see
  // ScopedNestableTaskAllower).
  void Run();
  // Ends the innermost run once it has nothing left to do now.
  void Quit();
  bool IsNested() const { return state_ && state_->run_depth > 1; }
  bool is_running() const { return state_ != nullptr; }

  // Cleared while a task runs, so that a nested run inside a task runs no
  // tasks unless it allows them.
  void SetNestableTasksAllowed(bool allowed);
  bool NestableTasksAllowed() const { return nestable_tasks_allowed_; }

  void AddTaskObserver(TaskObserver* observer);
  void RemoveTaskObserver(TaskObserver* observer);
  void AddDestructionObserver(DestructionObserver* observer);
  void RemoveDestructionObserver(DestructionObserver* observer);

 protected:
  MessageLoop(Type type, std::shared_ptr<MessagePump> pump);
  MessagePump* pump() const { return pump_.get(); }
  bool OnLoopThread() const { return std::this_thread::get_id() == thread_id_; }

 private:
  struct RunState {
    int run_depth;
    bool quit_received;
  };

  bool DoWork() override;
  bool DoDelayedWork(TimeTicks* next_delayed_work_time) override;
  bool DoIdleWork() override;

  // Any thread; not virtual, see Shutdown above.
  void AddToIncomingQueue(PendingTask task);
  void ReloadWorkQueue();
  void AddToDelayedWorkQueue(PendingTask task);
  bool DeferOrRunPendingTask(PendingTask task);
  void RunTask(const PendingTask& task);
  // Destroys the queued tasks of the loop thread; true if there were any.
  bool DeletePendingTasks();

  const Type type_;
  const std::thread::id thread_id_;
  std::shared_ptr<MessagePump> pump_;

  std::mutex incoming_lock_;
  std::deque<PendingTask> incoming_queue_;  // guarded by incoming_lock_

  // Loop thread only.
  RunState* state_ = nullptr;
  bool nestable_tasks_allowed_ = true;
  std::deque<PendingTask> work_queue_;
  std::deque<PendingTask> deferred_non_nestable_work_queue_;
  std::vector<PendingTask> delayed_work_queue_;  // heap; front() runs first
  int64_t next_sequence_num_ = 0;
  TimeTicks recent_time_;
  ObserverList<TaskObserver> task_observers_;
  ObserverList<DestructionObserver> destruction_observers_;

  std::shared_ptr<MessageLoopProxy> proxy_;
};

// Lets a nested run inside the current task run tasks, for its lifetime.
class ScopedNestableTaskAllower {
 public:
  explicit ScopedNestableTaskAllower(MessageLoop* loop)
      : loop_(loop), previous_(loop->NestableTasksAllowed()) {
    loop_->SetNestableTasksAllowed(true);
  }
  ~ScopedNestableTaskAllower() { loop_->SetNestableTasksAllowed(previous_); }
  ScopedNestableTaskAllower(const ScopedNestableTaskAllower&) = delete;
  ScopedNestableTaskAllower& operator=(const ScopedNestableTaskAllower&) = delete;

 private:
  MessageLoop* loop_;
  bool previous_;
};

}  // namespace vbase
