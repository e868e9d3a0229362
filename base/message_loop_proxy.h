// MessageLoopProxy: a thread-safe handle for posting to a MessageLoop that
// may be destroyed at any time.
//
// Every loop creates one proxy and hands out shared references to it. Posts
// made through it while the loop lives are forwarded under the proxy's lock,
// which the loop's destructor takes to detach it before it destroys anything;
// afterwards every post returns false and the closure is destroyed on the
// posting thread. Closures the loop has accepted are run or destroyed on the
// loop thread.
//
// The last shared reference may be dropped on any thread.
#pragma once

#include <memory>
#include <mutex>

#include "base/closure.h"
#include "base/time.h"
#include "base/weak_callback.h"

namespace vbase {

class MessageLoop;

class MessageLoopProxy : public SupportWeakCallback {
 public:
  MessageLoopProxy(const MessageLoopProxy&) = delete;
  MessageLoopProxy& operator=(const MessageLoopProxy&) = delete;

  // True if the loop still lives and took the closure. A zero delay posts an
  // immediate task.
  bool PostTask(Closure task);
  bool PostDelayedTask(Closure task, TimeDelta delay);
  bool PostNonNestableTask(Closure task);
  bool PostNonNestableDelayedTask(Closure task, TimeDelta delay);

  // True on the thread whose current loop is the (living) target.
  bool BelongsToCurrentThread();

 private:
  friend class MessageLoop;

  explicit MessageLoopProxy(MessageLoop* target) : target_(target) {}
  ~MessageLoopProxy() override = default;

  static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* target);
  void WillDestroyCurrentMessageLoop();
  // Deleter of the shared reference.
  void OnDestruct();

  std::mutex lock_;
  MessageLoop* target_;  // guarded by lock_; null once the loop is gone
};

}  // namespace vbase
