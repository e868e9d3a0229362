#include "tools/fleetsync-cli/fleet_tracker.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using O = PassOutcome;
using V = PanelVerdict;

// One panel's passes (outcome, seconds after the first) and its verdict after
// each. The driver's runs against simulated panels and a scripted adb show the
// usual courses - upgraded, current, skipped, never answering, failing - with
// their exit statuses; these are the edges. Final verdicts never change.
struct Pass {
  O outcome;
  int at;
  V verdict;
};
struct Course {
  const char* name;
  std::vector<Pass> passes;
  int exit_code;
};

const Course kCourses[] = {
    // Done only once a later pass sees the new version, after the reboot.
    {"ConfirmedAfterTheReboot", {{O::kUpgraded, 0, V::kPending}, {O::kUnreachable, 1, V::kPending},
                                 {O::kCurrent, 5, V::kDone}}, kExitAllDone},
    {"RebootNeverBack", {{O::kUpgraded, 0, V::kPending}, {O::kUnreachable, 1, V::kPending},
                         {O::kUnreachable, 10, V::kPending}, {O::kUnreachable, 11, V::kLost}}, kExitUnreachable},
    {"NeverAnswered", {{O::kUnreachable, 0, V::kPending}, {O::kUnreachable, 11, V::kGivenUp},
                       {O::kError, 12, V::kGivenUp}}, kExitUnreachable},
    // An upgrade that "succeeds" is no progress between failures.
    {"UpgradesDoNotForgiveFailures", {{O::kError, 0, V::kPending}, {O::kUpgraded, 0, V::kPending},
                                      {O::kFileUnusable, 0, V::kPending}, {O::kUpgradeFailed, 0, V::kFailed},
                                      {O::kCurrent, 0, V::kFailed}}, kExitFailed},
    {"UpgradesWithoutEffect", {{O::kVersionUnchanged, 0, V::kFailed}}, kExitFailed},
    {"WrongProject", {{O::kProjectMismatch, 0, V::kSkipped}, {O::kError, 1, V::kSkipped}}, kExitAllDone},
    {"NoVersion", {{O::kNoVersion, 0, V::kSkipped}}, kExitAllDone},
    {"Newer", {{O::kNewer, 0, V::kSkipped}}, kExitAllDone},
    {"NothingToSend", {{O::kNothingToSend, 0, V::kSkipped}}, kExitAllDone},
    {"FinishedByForce", {{O::kFinishedByForce, 0, V::kDone}}, kExitAllDone},
};

TEST(FleetTracker, VerdictsAndExitStatusOfOnePanelsCourse) {
  for (const Course& course : kCourses) {
    SCOPED_TRACE(course.name);
    FleetTracker tracker(1, std::chrono::seconds(10), 3);
    EXPECT_FALSE(tracker.AllFinal());
    const auto start = FleetTracker::Clock::now();
    for (const Pass& pass : course.passes) {
      EXPECT_EQ(tracker.Record(0, pass.outcome, start + std::chrono::seconds(pass.at)), pass.verdict) << pass.at;
    }
    EXPECT_TRUE(tracker.AllFinal());
    EXPECT_EQ(tracker.ExitCode(), course.exit_code);
  }
}

}  // namespace
