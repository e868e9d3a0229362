#include "base/message_loop_proxy.h"

#include <cassert>
#include <utility>

#include "base/message_loop.h"

namespace vbase {

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* target) {
  return std::shared_ptr<MessageLoopProxy>(new MessageLoopProxy(target),
                                           [](MessageLoopProxy* proxy) { proxy->OnDestruct(); });
}

bool MessageLoopProxy::PostTask(Closure task) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_) return false;
  target_->PostTask(std::move(task));
  return true;
}

bool MessageLoopProxy::PostDelayedTask(Closure task, TimeDelta delay) {
  if (delay <= TimeDelta()) return PostTask(std::move(task));
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_) return false;
  target_->PostDelayedTask(std::move(task), delay);
  return true;
}

bool MessageLoopProxy::PostNonNestableTask(Closure task) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_) return false;
  target_->PostNonNestableTask(std::move(task));
  return true;
}

bool MessageLoopProxy::PostNonNestableDelayedTask(Closure task, TimeDelta delay) {
  if (delay <= TimeDelta()) return PostNonNestableTask(std::move(task));
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_) return false;
  target_->PostNonNestableDelayedTask(std::move(task), delay);
  return true;
}

bool MessageLoopProxy::BelongsToCurrentThread() {
  std::lock_guard<std::mutex> lock(lock_);
  return target_ && target_ == MessageLoop::current();
}

void MessageLoopProxy::WillDestroyCurrentMessageLoop() {
  std::lock_guard<std::mutex> lock(lock_);
  target_ = nullptr;
}

void MessageLoopProxy::OnDestruct() {
  // The loop keeps a reference until after it has detached, so the last
  // reference always finds the target gone and nothing can reach this proxy
  // any more: it is deleted here, on whichever thread dropped it, after the
  // lock was released. (Handing the deletion to the loop instead would let
  // the loop delete the proxy while this thread still held its lock, and leak
  // it if the loop died before running the deletion.)
  bool detached;
  {
    std::lock_guard<std::mutex> lock(lock_);
    detached = target_ == nullptr;
  }
  assert(detached && "a loop outlived its own proxy reference");
  (void)detached;
  delete this;
}

}  // namespace vbase
