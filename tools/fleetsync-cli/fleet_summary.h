// The table `--summary` prints at the end of a --once run: how many panels
// ended with each outcome, and every panel that is not done.
//
// A panel's outcome is that of its last pass, in the fleet record's names;
// a panel upgraded in this run and then confirmed at the target version
// counts as "upgraded" rather than "current".
//
// Threads: Record() on the workers' threads, Table() on the driver's thread
// once the workers are joined; both take the summary's lock.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/device_worker.h"
#include "tools/fleetsync-cli/fleet_tracker.h"

class FleetSummary {
 public:
  explicit FleetSummary(std::vector<std::wstring> addresses);

  void Record(std::size_t index, const PassReport& report);

  // "outcome  panels" lines (outcomes no panel ended with are left out), the
  // total, then "not done:" and one line per panel whose verdict is not done:
  // address, verdict, the state text it showed last.
  std::string Table(const std::function<PanelVerdict(std::size_t)>& verdict) const;

 private:
  struct Panel {
    PassOutcome last = PassOutcome::kNone;
    std::wstring state;
    bool upgraded = false;
  };

  const std::vector<std::wstring> addresses_;
  mutable std::mutex mutex_;
  std::vector<Panel> panels_;
};
