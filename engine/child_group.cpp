#include "engine/child_group.h"

#include <mutex>
#include <unordered_map>

#include "platform/process.h"

namespace {

struct ChildRegistry {
  std::mutex mutex;
  std::unordered_map<pid_t, ChildGroup*> children;  // leader pid -> its group
};

ChildRegistry& Registry() {
  // Never destroyed: workers may still end their children while the program
  // runs its exit handlers.
  static ChildRegistry* registry = new ChildRegistry;
  return *registry;
}

}  // namespace

void ChildGroup::Cancel() {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  cancelled_.store(true, std::memory_order_release);
  for (const auto& [leader, group] : registry.children) {
    if (group == this) platform::KillProcessGroup(leader);
  }
}

void EndAllChildren() {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  for (const auto& entry : registry.children) platform::KillProcessGroup(entry.first);
}

void RegisterChild(pid_t leader, ChildGroup* group) {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.children[leader] = group;
  // Cancel may have run between the caller's check and the spawn.
  if (group && group->cancelled_.load(std::memory_order_acquire))
    platform::KillProcessGroup(leader);
}

void UnregisterChild(pid_t leader) {
  ChildRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.children.erase(leader);
}
