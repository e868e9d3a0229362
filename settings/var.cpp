#include "settings/var.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

// Listeners are shared so that Notify can run one outside the lock while
// Watch or Unwatch replace or drop the table's entry.
using SharedListener = std::shared_ptr<const vbase::Closure>;

struct ListenerTable {
  std::mutex mutex;
  std::map<const void*, SharedListener> listeners;
};

ListenerTable& Table() {
  static ListenerTable table;
  return table;
}

}  // namespace

void VarRegistry::Watch(const void* var, vbase::Closure listener) {
  auto shared = std::make_shared<const vbase::Closure>(std::move(listener));
  ListenerTable& table = Table();
  SharedListener previous;  // destroyed after the lock is released
  std::lock_guard lock(table.mutex);
  SharedListener& slot = table.listeners[var];
  previous = std::move(slot);
  slot = std::move(shared);
}

bool VarRegistry::Notify(const void* var) {
  ListenerTable& table = Table();
  SharedListener listener;
  {
    std::lock_guard lock(table.mutex);
    auto it = table.listeners.find(var);
    if (it == table.listeners.end()) return false;
    listener = it->second;
  }
  if (*listener) (*listener)();
  return true;
}

void VarRegistry::Unwatch(const void* var) {
  ListenerTable& table = Table();
  SharedListener removed;
  std::lock_guard lock(table.mutex);
  auto it = table.listeners.find(var);
  if (it == table.listeners.end()) return;
  removed = std::move(it->second);
  table.listeners.erase(it);
}

bool VarRegistry::IsWatched(const void* var) {
  ListenerTable& table = Table();
  std::lock_guard lock(table.mutex);
  return table.listeners.count(var) != 0;
}
