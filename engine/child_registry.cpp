#include "engine/child_registry.h"

#include <mutex>
#include <unordered_set>

#include "platform/process.h"

namespace {

struct ChildRegistry {
  std::mutex mutex;
  std::unordered_set<pid_t> children;  // process-group leaders
};

ChildRegistry& Registry() {
  // Never destroyed: workers may still end their children while the program
  // runs its exit handlers.
  static ChildRegistry* registry = new ChildRegistry;
  return *registry;
}

}  // namespace

void EndAllChildren() {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  for (const pid_t leader : registry.children) platform::KillProcessGroup(leader);
}

void RegisterChild(pid_t leader) {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.children.insert(leader);
}

void UnregisterChild(pid_t leader) {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.children.erase(leader);
}
