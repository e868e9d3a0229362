#include "tools/fleetsync-cli/fleet_tracker.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = FleetTracker::Clock;

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
  EXPECT_EQ(tracker.ExitCode(), kExitUnreachable);
}

// Panels that never answered are not done: the run says so with an exit
// status of its own, unless a panel failed.
TEST(FleetTracker, NeverAnsweringPanelsAreNotDone) {
  FleetTracker tracker(3, 10s, 3);
  const auto start = Clock::now();
  EXPECT_EQ(tracker.Record(0, PassOutcome::kUnreachable, start), PanelVerdict::kPending);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kUnreachable, start + 11s), PanelVerdict::kGivenUp);
  EXPECT_FALSE(tracker.AllFinal());
  tracker.Record(1, PassOutcome::kCurrent, start + 11s);
  tracker.Record(2, PassOutcome::kProjectMismatch, start + 11s);
  EXPECT_TRUE(tracker.AllFinal());
  EXPECT_EQ(tracker.ExitCode(), kExitUnreachable);
  tracker.Record(2, PassOutcome::kError, start + 12s);  // final verdicts stick
  EXPECT_EQ(tracker.ExitCode(), kExitUnreachable);
}

// A "successful" upgrade is no progress: a panel that keeps failing between
// upgrades that never take still gives up.
TEST(FleetTracker, FailuresInARowGiveUpAndUpgradesDoNotForgiveThem) {
  FleetTracker tracker(1, 10s, 3);
  const auto now = Clock::now();
  tracker.Record(0, PassOutcome::kError, now);
  tracker.Record(0, PassOutcome::kUpgraded, now);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kFileUnusable, now), PanelVerdict::kPending);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kUpgradeFailed, now), PanelVerdict::kFailed);
  EXPECT_EQ(tracker.Record(0, PassOutcome::kCurrent, now), PanelVerdict::kFailed);  // final
  EXPECT_EQ(tracker.ExitCode(), kExitFailed);
  FleetTracker held(1, 10s, 3);
  EXPECT_EQ(held.Record(0, PassOutcome::kVersionUnchanged, now), PanelVerdict::kFailed);
}

TEST(FleetTracker, CurrentAndSkippedPanelsAreFinalAndDone) {
  for (PassOutcome outcome : {PassOutcome::kProjectMismatch, PassOutcome::kNoVersion,
                              PassOutcome::kNewer, PassOutcome::kNothingToSend}) {
    FleetTracker tracker(1, 10s, 3);
    EXPECT_EQ(tracker.Record(0, outcome, Clock::now()), PanelVerdict::kSkipped);
    EXPECT_EQ(tracker.ExitCode(), kExitAllDone);
  }
  for (PassOutcome outcome : {PassOutcome::kCurrent, PassOutcome::kFinishedByForce}) {
    FleetTracker tracker(1, 10s, 3);
    EXPECT_FALSE(tracker.AllFinal());
    EXPECT_EQ(tracker.Record(0, outcome, Clock::now()), PanelVerdict::kDone);
    EXPECT_TRUE(tracker.AllFinal());
    EXPECT_EQ(tracker.ExitCode(), kExitAllDone);
  }
}

}  // namespace
