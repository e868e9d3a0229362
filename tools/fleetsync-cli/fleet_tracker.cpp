#include "tools/fleetsync-cli/fleet_tracker.h"

const char* VerdictName(PanelVerdict verdict) {
  switch (verdict) {
    case PanelVerdict::kPending: return "pending";
    case PanelVerdict::kDone: return "done";
    case PanelVerdict::kGivenUp: return "unreachable";
    case PanelVerdict::kLost: return "lost";
    case PanelVerdict::kSkipped: return "skipped";
    case PanelVerdict::kFailed: return "failed";
  }
  return "?";
}

FleetTracker::FleetTracker(std::size_t panels, Clock::duration unreachable_timeout, int attempts)
    : unreachable_timeout_(unreachable_timeout),
      attempts_(attempts),
      created_(Clock::now()),
      panels_(panels) {}

PanelVerdict FleetTracker::Record(std::size_t index, PassOutcome outcome, Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Panel& panel = panels_.at(index);
  if (panel.verdict != PanelVerdict::kPending) return panel.verdict;

  if (outcome == PassOutcome::kUnreachable) {
    if (!panel.unreachable) {
      panel.unreachable = true;
      // A panel that never answered counts from the start of the run.
      panel.unreachable_since = panel.answered ? now : created_;
    }
    if (now - panel.unreachable_since >= unreachable_timeout_) {
      panel.verdict = panel.answered ? PanelVerdict::kLost : PanelVerdict::kGivenUp;
    }
    return panel.verdict;
  }
  if (outcome == PassOutcome::kStopped || outcome == PassOutcome::kNone) return panel.verdict;

  panel.answered = true;
  panel.unreachable = false;
  switch (outcome) {
    case PassOutcome::kCurrent:
    case PassOutcome::kFinishedByForce:
      panel.verdict = PanelVerdict::kDone;
      break;
    case PassOutcome::kProjectMismatch:
    case PassOutcome::kNoVersion:
    case PassOutcome::kNewer:
    case PassOutcome::kNothingToSend:
      panel.verdict = PanelVerdict::kSkipped;
      break;
    case PassOutcome::kVersionUnchanged:  // held: it will not be staged again
      panel.verdict = PanelVerdict::kFailed;
      break;
    case PassOutcome::kError:
    case PassOutcome::kUpgradeFailed:
    case PassOutcome::kFileUnusable:
      if (++panel.failures_in_a_row >= attempts_) panel.verdict = PanelVerdict::kFailed;
      break;
    default:
      // Upgraded: only the next pass, after the reboot, tells whether it took
      // (a panel that keeps coming back below the target is held), so it is
      // no progress that would forgive earlier failures.
      break;
  }
  return panel.verdict;
}

PanelVerdict FleetTracker::verdict(std::size_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return panels_.at(index).verdict;
}

bool FleetTracker::AllFinal() const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Panel& panel : panels_) {
    if (panel.verdict == PanelVerdict::kPending) return false;
  }
  return true;
}

int FleetTracker::ExitCode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  bool unreachable = false;
  for (const Panel& panel : panels_) {
    switch (panel.verdict) {
      case PanelVerdict::kDone:
      case PanelVerdict::kSkipped:
        break;
      case PanelVerdict::kGivenUp:
      case PanelVerdict::kLost:
        unreachable = true;
        break;
      default:
        return kExitFailed;
    }
  }
  return unreachable ? kExitUnreachable : kExitAllDone;
}
