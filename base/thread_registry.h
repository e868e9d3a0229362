// ThreadRegistry: process-wide map from an integer identifier to a loop
// thread, so that any thread can post to, say, "the UI thread" (identifier 0)
// without holding a pointer to it.
//
// Threads: every function may be called from any thread. RegisterThread and
// UnregisterThread act for the calling thread, which must have a current
// MessageLoop (FrameworkThread calls them from its Init and Cleanup hooks).
//
// Shutdown: posting to an identifier that nothing holds, or whose loop has
// ended, returns false and destroys the closure on the posting thread; it
// never touches the closure's owner. An entry is removed at the latest when
// its thread's FrameworkThread run or the thread itself ends.
#pragma once

#include <functional>
#include <memory>

#include "base/closure.h"
#include "base/time.h"
#include "base/weak_callback.h"

namespace vbase {

class MessageLoopProxy;
struct ThreadTlsData;

class ThreadRegistry {
 public:
  ThreadRegistry() = delete;

  // Registers the calling thread's loop under `id`. Registering again under
  // the same identifier counts up (each needs its UnregisterThread). False,
  // changing nothing, if the thread has no loop, `id` belongs to another
  // thread, or this thread is already registered under another identifier.
  static bool RegisterThread(int id);
  // Undoes one RegisterThread of the calling thread; the entry goes with the
  // last one.
  static void UnregisterThread();

  // The loop proxy registered under `id`; empty if none.
  static std::shared_ptr<MessageLoopProxy> GetMessageLoopProxy(int id);

  // Posts to the thread registered under `id`. A zero delay posts an
  // immediate task.
  static bool PostTask(int id, Closure task);
  static bool PostDelayedTask(int id, Closure task, TimeDelta delay);

  // Posts to the calling thread's own loop; false if it has none.
  static bool PostDelayedTask(Closure task, TimeDelta delay);

  // Runs `task` on the calling thread's loop every `delay`, `times` times in
  // all, or without end when `times` is -1. It stops for good as soon as the
  // task has expired, checked before and after every run. Posts nothing and
  // returns false when `times` is 0 or below -1, or the thread has no loop.
  template <typename T>
  static bool PostRepeatedTask(const WeakCallback<T>& task, TimeDelta delay, int times) {
    return PostRepeatedClosure([task] { return task.expired(); }, [task] { task(); }, delay, times);
  }

 private:
  friend struct ThreadTlsData;

  static bool PostRepeatedClosure(std::function<bool()> expired, Closure run, TimeDelta delay,
                                  int times);
  // Drops every registration of the thread that owns `tls`.
  static void Forget(ThreadTlsData& tls);
};

}  // namespace vbase
