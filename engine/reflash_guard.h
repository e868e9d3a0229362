// Keeps a panel that reports a successful upgrade but comes back below the
// target from being flashed again and again.
//
// Such a panel (an image its firmware refuses, a partition that does not
// take) would otherwise be staged on every pass for as long as the row runs,
// stopping its HMI each time. Panels are told apart by MAC, as the forced
// upgrade's bookkeeping does. After kMaxStagingsWithoutProgress successes in a
// row that did not bring the panel to the target, it is held: not staged
// again for as long as the guard lives (a row's worker; the settings' next
// save or the driver's next start make a new one).
//
// One thread uses a guard (the worker's). Plain bookkeeping, no I/O.
#pragma once

#include <map>
#include <set>
#include <string>

class ReflashGuard {
 public:
  static constexpr int kMaxStagingsWithoutProgress = 2;

  // A followed upgrade of this panel ended with the success markers.
  void UpgradeSucceeded(const std::wstring& mac);
  // A pass identified the panel; `below_target` tells whether its version is
  // still below the target. Returns true when it must not be staged again.
  bool Identified(const std::wstring& mac, bool below_target);

 private:
  std::set<std::wstring> awaiting_;                  // succeeded, not yet seen since
  std::map<std::wstring, int> successes_below_target_;  // in a row
};
