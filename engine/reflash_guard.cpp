#include "engine/reflash_guard.h"

void ReflashGuard::UpgradeSucceeded(const std::wstring& mac) { awaiting_.insert(mac); }

bool ReflashGuard::Identified(const std::wstring& mac, bool below_target) {
  const bool after_success = awaiting_.erase(mac) != 0;
  if (!below_target) {
    successes_below_target_.erase(mac);
    return false;
  }
  if (after_success) ++successes_below_target_[mac];
  const auto held = successes_below_target_.find(mac);
  return held != successes_below_target_.end() && held->second >= kMaxStagingsWithoutProgress;
}
