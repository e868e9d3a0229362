#include "tools/fleetsync-cli/fleet_tracker.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = FleetTracker::Clock;

TEST(FleetTracker, CurrentPanelIsDoneAtOnce) {
  FleetTracker tracker(1, 10s, 3);
  EXPECT_FALSE(tracker.AllFinal());
  EXPECT_EQ(tracker.Record(0, PassOutcome::kCurrent, Clock::now()), PanelVerdict::kDone);
  EXPECT_TRUE(tracker.AllFinal());
  EXPECT_EQ(tracker.ExitCode(), 0);
}

// An upgraded panel is done only once a later pass sees the new version,
// after its reboot; a reboot that never comes back is a failure.
TEST(FleetTracker, UpgradeIsConfirmedAfterTheReboot) {
  FleetTracker tracker(2, 10s, 3);
  const auto start = Clock::now();
  for (std::size_t panel : {0u, 1u}) {
    EXPECT_EQ(tracker.Record(panel, PassOutcome::kUpgraded, start), PanelVerdict::kPending);
    EXPECT_EQ(tracker.Record(panel, PassOutcome::kUnreachable, start + 1s), PanelVerdict::kPending);
  }
  EXPECT_EQ(tracker.Record(0, PassOutcome::kCurrent, start + 5s), PanelVerdict::kDone);
  EXPECT_EQ(tracker.Record(1, PassOutcome::kUnreachable, start + 10s), PanelVerdict::kPending);
  EXPECT_EQ(tracker.Record(1, PassOutcome::kUnreachable, start + 11s), PanelVerdict::kLost);
  EXPECT_EQ(tracker.ExitCode(), 1);
}

TEST(FleetTracker, NeverAnsweringPanelsAreGivenUpWithoutFailingTheRun) {
  FleetTracker tracker(2, 10s, 3);
  const auto start = Clock::now();
  EXPECT_EQ(tracker.Record(0, PassOutcome::kUnreachable, start), PanelVerdict::kPending);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kUnreachable, start + 11s), PanelVerdict::kGivenUp);
  EXPECT_FALSE(tracker.AllFinal());
  tracker.Record(1, PassOutcome::kCurrent, start + 11s);
  EXPECT_TRUE(tracker.AllFinal());
  EXPECT_EQ(tracker.ExitCode(), 0);
  // But a run in which no panel ever answered fails.
  FleetTracker silent(1, 1s, 3);
  silent.Record(0, PassOutcome::kUnreachable, start + 2s);
  EXPECT_TRUE(silent.AllFinal());
  EXPECT_EQ(silent.ExitCode(), 1);
}

TEST(FleetTracker, FailuresInARowGiveUpAndProgressResetsThem) {
  FleetTracker tracker(1, 10s, 3);
  const auto now = Clock::now();
  tracker.Record(0, PassOutcome::kError, now);
  tracker.Record(0, PassOutcome::kUpgradeFailed, now);
  tracker.Record(0, PassOutcome::kUpgraded, now);  // then the confirming pass failed to connect
  tracker.Record(0, PassOutcome::kError, now);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kError, now), PanelVerdict::kPending);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kUpgradeFailed, now), PanelVerdict::kFailed);
  // Final verdicts stick.
  EXPECT_EQ(tracker.Record(0, PassOutcome::kCurrent, now), PanelVerdict::kFailed);
  EXPECT_EQ(tracker.ExitCode(), 1);
}

TEST(FleetTracker, SkippedPanelsAreFinalButNotDone) {
  for (PassOutcome outcome : {PassOutcome::kProjectMismatch, PassOutcome::kNoVersion,
                              PassOutcome::kNewer, PassOutcome::kNothingToSend}) {
    FleetTracker tracker(1, 10s, 3);
    EXPECT_EQ(tracker.Record(0, outcome, Clock::now()), PanelVerdict::kSkipped);
    EXPECT_EQ(tracker.ExitCode(), 1);
  }
  FleetTracker forced(1, 10s, 3);
  EXPECT_EQ(forced.Record(0, PassOutcome::kFinishedByForce, Clock::now()), PanelVerdict::kDone);
}

}  // namespace
