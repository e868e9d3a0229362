#include "base/message_loop.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "base/default_message_pump.h"
#include "base/message_loop_proxy.h"

namespace vbase {

namespace {

thread_local MessageLoop* current_loop = nullptr;

// Closures left behind by closures that post while being destroyed are
// chased this many times before the loop gives up on them.
constexpr int kMaxDeletionPasses = 100;

bool RunsLater(const PendingTask& a, const PendingTask& b) { return a.RunsAfter(b); }

}  // namespace

MessageLoop::MessageLoop() : MessageLoop(Type::kDefault, std::make_shared<DefaultMessagePump>()) {}

MessageLoop::MessageLoop(Type type, std::shared_ptr<MessagePump> pump)
    : type_(type), thread_id_(std::this_thread::get_id()), pump_(std::move(pump)) {
  assert(!current_loop && "one message loop per thread");
  current_loop = this;
  proxy_ = MessageLoopProxy::Create(this);
}

MessageLoop::~MessageLoop() {
  assert(OnLoopThread() && !state_);

  // From here on posts through the proxy fail, before anything of the loop
  // is gone. Closures already accepted are destroyed below, on this thread.
  proxy_->WillDestroyCurrentMessageLoop();

  // Destroying a closure may post new ones (an owner's destructor); chase them.
  for (int pass = 0; pass < kMaxDeletionPasses; ++pass) {
    DeletePendingTasks();
    ReloadWorkQueue();
    if (!DeletePendingTasks()) break;
  }

  destruction_observers_.ForEach(
      [](DestructionObserver& observer) { observer.WillDestroyCurrentMessageLoop(); });
  // What an observer posted directly is destroyed here rather than with the
  // queue's storage.
  for (int pass = 0; pass < kMaxDeletionPasses; ++pass) {
    ReloadWorkQueue();
    if (!DeletePendingTasks()) break;
  }

  proxy_.reset();
  current_loop = nullptr;
}

MessageLoop* MessageLoop::current() { return current_loop; }

void MessageLoop::PostTask(Closure task) {
  AddToIncomingQueue(PendingTask(std::move(task), TimeTicks(), true));
}

void MessageLoop::PostDelayedTask(Closure task, TimeDelta delay) {
  AddToIncomingQueue(PendingTask(std::move(task), TimeTicks::Now() + std::max(delay, TimeDelta()), true));
}

void MessageLoop::PostNonNestableTask(Closure task) {
  AddToIncomingQueue(PendingTask(std::move(task), TimeTicks(), false));
}

void MessageLoop::PostNonNestableDelayedTask(Closure task, TimeDelta delay) {
  AddToIncomingQueue(PendingTask(std::move(task), TimeTicks::Now() + std::max(delay, TimeDelta()), false));
}

void MessageLoop::AddToIncomingQueue(PendingTask task) {
  std::shared_ptr<MessagePump> pump;
  {
    std::lock_guard<std::mutex> lock(incoming_lock_);
    const bool was_empty = incoming_queue_.empty();
    incoming_queue_.push_back(std::move(task));
    if (!was_empty) return;  // the loop was already told about this batch
    pump = pump_;
  }
  pump->ScheduleWork();
}

void MessageLoop::Run() {
  assert(OnLoopThread());
  RunState state{state_ ? state_->run_depth + 1 : 1, false};
  RunState* previous = state_;
  state_ = &state;
  pump_->Run(this);
  state_ = previous;
}

void MessageLoop::Quit() {
  assert(OnLoopThread());
  if (state_) state_->quit_received = true;
}

void MessageLoop::SetNestableTasksAllowed(bool allowed) {
  assert(OnLoopThread());
  if (allowed && !nestable_tasks_allowed_) pump_->ScheduleWork();  // revisit waiting work
  nestable_tasks_allowed_ = allowed;
}

void MessageLoop::AddTaskObserver(TaskObserver* observer) {
  assert(OnLoopThread());
  task_observers_.AddObserver(observer);
}

void MessageLoop::RemoveTaskObserver(TaskObserver* observer) {
  assert(OnLoopThread());
  task_observers_.RemoveObserver(observer);
}

void MessageLoop::AddDestructionObserver(DestructionObserver* observer) {
  assert(OnLoopThread());
  destruction_observers_.AddObserver(observer);
}

void MessageLoop::RemoveDestructionObserver(DestructionObserver* observer) {
  assert(OnLoopThread());
  destruction_observers_.RemoveObserver(observer);
}

void MessageLoop::ReloadWorkQueue() {
  if (!work_queue_.empty()) return;
  std::lock_guard<std::mutex> lock(incoming_lock_);
  work_queue_.swap(incoming_queue_);
}

void MessageLoop::AddToDelayedWorkQueue(PendingTask task) {
  task.sequence_num = next_sequence_num_++;
  delayed_work_queue_.push_back(std::move(task));
  std::push_heap(delayed_work_queue_.begin(), delayed_work_queue_.end(), RunsLater);
}

bool MessageLoop::DeferOrRunPendingTask(PendingTask task) {
  if (task.nestable || state_->run_depth == 1) {
    RunTask(task);
    return true;
  }
  deferred_non_nestable_work_queue_.push_back(std::move(task));
  return false;
}

void MessageLoop::RunTask(const PendingTask& task) {
  nestable_tasks_allowed_ = false;
  task_observers_.ForEach([&task](TaskObserver& observer) { observer.WillProcessTask(task); });
  task.task();
  task_observers_.ForEach([&task](TaskObserver& observer) { observer.DidProcessTask(task); });
  nestable_tasks_allowed_ = true;
}

bool MessageLoop::DoWork() {
  if (!nestable_tasks_allowed_) return false;
  for (;;) {
    ReloadWorkQueue();
    if (work_queue_.empty()) return false;
    do {
      PendingTask task = std::move(work_queue_.front());
      work_queue_.pop_front();
      if (!task.delayed_run_time.is_null()) {
        const TimeTicks run_time = task.delayed_run_time;
        AddToDelayedWorkQueue(std::move(task));
        if (delayed_work_queue_.front().sequence_num == next_sequence_num_ - 1) {
          pump_->ScheduleDelayedWork(run_time);  // it is the new earliest
        }
      } else if (DeferOrRunPendingTask(std::move(task))) {
        return true;
      }
    } while (!work_queue_.empty());
  }
}

bool MessageLoop::DoDelayedWork(TimeTicks* next_delayed_work_time) {
  if (!nestable_tasks_allowed_ || delayed_work_queue_.empty()) {
    recent_time_ = *next_delayed_work_time = TimeTicks();
    return false;
  }
  // The clock is read only when the cached time says the top is not yet due.
  const TimeTicks next_run_time = delayed_work_queue_.front().delayed_run_time;
  if (next_run_time > recent_time_) {
    recent_time_ = TimeTicks::Now();
    if (next_run_time > recent_time_) {
      *next_delayed_work_time = next_run_time;
      return false;
    }
  }
  std::pop_heap(delayed_work_queue_.begin(), delayed_work_queue_.end(), RunsLater);
  PendingTask task = std::move(delayed_work_queue_.back());
  delayed_work_queue_.pop_back();
  *next_delayed_work_time =
      delayed_work_queue_.empty() ? TimeTicks() : delayed_work_queue_.front().delayed_run_time;
  return DeferOrRunPendingTask(std::move(task));
}

bool MessageLoop::DoIdleWork() {
  if (state_->run_depth == 1 && !deferred_non_nestable_work_queue_.empty()) {
    PendingTask task = std::move(deferred_non_nestable_work_queue_.front());
    deferred_non_nestable_work_queue_.pop_front();
    RunTask(task);
    return true;
  }
  if (state_->quit_received) pump_->Quit();
  return false;
}

bool MessageLoop::DeletePendingTasks() {
  bool did_work = !work_queue_.empty();
  // Delayed tasks pass through the delayed queue so that all closures are
  // destroyed in the order they would have run. Each closure is taken out of
  // its queue before it is destroyed, since its destructor may post.
  while (!work_queue_.empty()) {
    PendingTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    if (!task.delayed_run_time.is_null()) AddToDelayedWorkQueue(std::move(task));
  }
  did_work |= !deferred_non_nestable_work_queue_.empty();
  while (!deferred_non_nestable_work_queue_.empty()) {
    PendingTask task = std::move(deferred_non_nestable_work_queue_.front());
    deferred_non_nestable_work_queue_.pop_front();
  }
  did_work |= !delayed_work_queue_.empty();
  while (!delayed_work_queue_.empty()) {
    std::pop_heap(delayed_work_queue_.begin(), delayed_work_queue_.end(), RunsLater);
    PendingTask task = std::move(delayed_work_queue_.back());
    delayed_work_queue_.pop_back();
  }
  return did_work;
}

}  // namespace vbase
