// Decides, from the outcomes of its passes, when a panel has reached a final
// state (for --once) and whether that state counts as done.
//
// Threads: Record() is called on the panels' worker threads, the other calls
// on the driver's thread; every call takes the tracker's lock.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "engine/device_worker.h"

enum class PanelVerdict {
  kPending,   // more passes are needed
  kDone,      // at the target version (or finished by a forced upgrade)
  kGivenUp,   // never answered within the timeout
  kLost,      // answered once, then stayed unreachable for the timeout
  kSkipped,   // project, version or settings say it will not be upgraded
  kFailed,    // too many failed passes in a row, or upgrades without effect
};

// Exit statuses of a --once run.
inline constexpr int kExitAllDone = 0;         // every panel done or skipped
inline constexpr int kExitFailed = 1;          // at least one panel failed
inline constexpr int kExitUnreachable = 3;     // none failed, some never answered or were lost

const char* VerdictName(PanelVerdict verdict);

class FleetTracker {
 public:
  using Clock = std::chrono::steady_clock;

  FleetTracker(std::size_t panels, std::chrono::steady_clock::duration unreachable_timeout,
               int attempts);

  // Takes the outcome of a pass of panel `index` ending at `now`; returns the
  // panel's verdict afterwards. A final verdict never changes again.
  PanelVerdict Record(std::size_t index, PassOutcome outcome, Clock::time_point now);

  PanelVerdict verdict(std::size_t index) const;
  bool AllFinal() const;
  // kExitAllDone when every panel is kDone or kSkipped; else kExitFailed when
  // any panel failed; else kExitUnreachable.
  int ExitCode() const;

 private:
  struct Panel {
    PanelVerdict verdict = PanelVerdict::kPending;
    bool answered = false;
    bool unreachable = false;
    Clock::time_point unreachable_since{};
    int failures_in_a_row = 0;
  };

  const Clock::duration unreachable_timeout_;
  const int attempts_;
  const Clock::time_point created_;
  mutable std::mutex mutex_;
  std::vector<Panel> panels_;
};
