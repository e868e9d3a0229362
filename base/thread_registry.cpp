#include "base/thread_registry.h"

#include <map>
#include <mutex>
#include <utility>

#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/thread_tls_data.h"

namespace vbase {

namespace {

struct Entry {
  const ThreadTlsData* owner;  // identifies the registered thread; never dereferenced
  std::shared_ptr<MessageLoopProxy> proxy;
};

struct Registry {
  std::mutex lock;
  std::map<int, Entry> threads;  // guarded by lock
};

// Never destroyed: threads may unregister while the process exits.
Registry& GetRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

// One run of a repeated task; it posts its successor with the count left.
struct RepeatingTask {
  std::function<bool()> expired;
  Closure run;
  TimeDelta delay;
  int times;  // runs left, -1 without end

  void operator()() {
    if (expired()) return;
    run();
    if (expired()) return;
    if (times != -1 && --times == 0) return;
    if (MessageLoop* loop = MessageLoop::current()) loop->PostDelayedTask(*this, delay);
  }
};

}  // namespace

bool ThreadRegistry::RegisterThread(int id) {
  MessageLoop* loop = MessageLoop::current();
  if (!loop) return false;
  ThreadTlsData& tls = ThreadTlsData::Current();
  // One identifier per thread: a second one would be left dangling when the
  // thread unregisters.
  if (tls.managed > 0 && tls.managed_thread_id != id) return false;

  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.lock);
  auto [it, inserted] = registry.threads.try_emplace(id, Entry{&tls, nullptr});
  if (!inserted && it->second.owner != &tls) return false;
  it->second.proxy = loop->message_loop_proxy();
  ++tls.managed;
  tls.managed_thread_id = id;
  return true;
}

void ThreadRegistry::UnregisterThread() {
  ThreadTlsData& tls = ThreadTlsData::Current();
  if (tls.managed < 1) return;
  if (--tls.managed == 0) Forget(tls);
}

void ThreadRegistry::Forget(ThreadTlsData& tls) {
  if (tls.managed_thread_id != -1) {
    Registry& registry = GetRegistry();
    std::shared_ptr<MessageLoopProxy> dropped;  // released after the lock
    {
      std::lock_guard<std::mutex> lock(registry.lock);
      auto it = registry.threads.find(tls.managed_thread_id);
      if (it != registry.threads.end() && it->second.owner == &tls) {
        dropped = std::move(it->second.proxy);
        registry.threads.erase(it);
      }
    }
  }
  tls.managed = 0;
  tls.managed_thread_id = -1;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::GetMessageLoopProxy(int id) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.lock);
  auto it = registry.threads.find(id);
  return it == registry.threads.end() ? nullptr : it->second.proxy;
}

bool ThreadRegistry::PostTask(int id, Closure task) {
  std::shared_ptr<MessageLoopProxy> proxy = GetMessageLoopProxy(id);
  return proxy && proxy->PostTask(std::move(task));
}

bool ThreadRegistry::PostDelayedTask(int id, Closure task, TimeDelta delay) {
  std::shared_ptr<MessageLoopProxy> proxy = GetMessageLoopProxy(id);
  return proxy && proxy->PostDelayedTask(std::move(task), delay);
}

bool ThreadRegistry::PostDelayedTask(Closure task, TimeDelta delay) {
  MessageLoop* loop = MessageLoop::current();
  if (!loop) return false;
  if (delay <= TimeDelta()) loop->PostTask(std::move(task));
  else loop->PostDelayedTask(std::move(task), delay);
  return true;
}

bool ThreadRegistry::PostRepeatedClosure(std::function<bool()> expired, Closure run,
                                         TimeDelta delay, int times) {
  MessageLoop* loop = MessageLoop::current();
  if (!loop || times == 0 || times < -1) return false;
  loop->PostDelayedTask(RepeatingTask{std::move(expired), std::move(run), delay, times}, delay);
  return true;
}

}  // namespace vbase
