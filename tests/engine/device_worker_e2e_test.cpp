// The upgrade pass end to end: the engine's worker, Debian's adb with a
// server of its own, and simulated panels with scripted faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "base/text.h"
#include "engine/device_worker.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::chrono_literals;
using fleetsync_test::PanelState;

class UpgradeEndToEnd : public ::testing::Test {
 protected:
  UpgradeEndToEnd() {
    image_ = fleetsync_test::MakeImage(adb_.tmpdir() + "/update.img", "1.1.0", 256 * 1024);
    logo_ = adb_.tmpdir() + "/logo.jpg";
    std::ofstream(logo_) << "JPEG";
    settings_.update_file = Utf8ToUtf16(image_);
    settings_.version = L"1.1.0";
    settings_.project = L"demo";
    options_.log_watchdog_limit = 2s;
    options_.log_watchdog_interval = 200ms;
  }

  fleetsync_test::PanelSpec& Panel(const std::string& address) {
    return fleet_.Add(address).FastTiming();
  }

  std::unique_ptr<DeviceWorker> Worker(const std::string& address) {
    return std::make_unique<DeviceWorker>(Utf8ToUtf16(address), settings_, options_);
  }

  // Starts the fleet and runs one pass against `address`.
  std::unique_ptr<DeviceWorker> FirstPass(const std::string& address) {
    fleet_.Start();
    auto worker = Worker(address);
    worker->Upgrade();
    return worker;
  }

  // Runs passes (about 200 ms apart) until one ends with `wanted`; every text
  // the passes reported is collected in `seen_`. False after `limit`.
  bool PassUntil(DeviceWorker& worker, PassOutcome wanted, std::chrono::seconds limit = 30s) {
    return fleetsync_test::WaitUntil([&] {
      worker.Upgrade();
      seen_.push_back(worker.stored_state().text);
      return worker.last_outcome() == wanted;
    }, limit, 200ms);
  }

  static int Pushes(const PanelState& state, const std::string& path) {
    int count = 0;
    for (const auto& command : state.commands) count += command == "push " + path;
    return count;
  }

  fleetsync_test::AdbTestServer adb_;
  fleetsync_test::SimulatedFleet fleet_;
  UpgradeSettings settings_;
  WorkerOptions options_;
  std::string image_;
  std::string logo_;
  std::vector<std::wstring> seen_;
};

TEST_F(UpgradeEndToEnd, FailedUpgradeIsReportedAndRetried) {
  Panel("127.0.3.6").UpgradeFails();
  auto worker = FirstPass("127.0.3.6");
  EXPECT_EQ(worker->stored_state().text, L"升级失败");
  EXPECT_EQ(worker->upgrade_start(), -1);
  ASSERT_TRUE(PassUntil(*worker, PassOutcome::kUpgradeFailed));  // the retry
  EXPECT_EQ(std::count(seen_.begin(), seen_.end(), L"升级结束"), 0);
  EXPECT_GE(Pushes(fleet_.State("127.0.3.6"), "/tmp/fleet-sync/update.img"), 2);
}

// A push the connection drops, or the panel rejects, is an error and triggers
// nothing. A shell_v2 panel reports mkdir's exit code: the staging folder left
// by the failed pass must not make every later pass fail at mkdir.
TEST_F(UpgradeEndToEnd, DroppedOrRejectedPushIsAnErrorAndTheRetryGetsPastTheFolder) {
  Panel("127.0.3.9").DropPushAfter(64 * 1024);
  Panel("127.0.3.10").ShellV2().PushFail("No space left on device");
  fleet_.Start();
  for (const char* address : {"127.0.3.9", "127.0.3.10"}) {
    auto worker = Worker(address);
    for (int pass = 0; pass < 2; ++pass) {
      worker->Upgrade();
      const StateRecord state = worker->stored_state();
      EXPECT_EQ(state.kind, kStateError) << address;
      EXPECT_NE(state.text.find(L"push"), std::wstring::npos) << state.text;
      EXPECT_EQ(worker->upgrade_start(), -1);
    }
    const PanelState state = fleet_.State(address);
    for (const auto& [name, value] : state.setprops) EXPECT_NE(name, "sys.qnupgrade.flag") << "triggered";
    EXPECT_FALSE(state.hmi_running);  // stopped for staging, as on a real panel
  }
}

TEST_F(UpgradeEndToEnd, ImageOnlyLogoOnlyAndBoth) {
  const struct {
    const char* address;
    bool image, logo;
  } cases[] = {{"127.0.3.12", true, false}, {"127.0.3.13", false, true}, {"127.0.3.14", true, true}};
  for (const auto& c : cases) Panel(c.address);
  fleet_.Start();
  const std::vector<std::pair<std::string, std::string>> staged = {
      {"ctl.stop", "qnhmi"}, {"sys.qnupgrade.dir", "/tmp/fleet-sync"}, {"sys.qnupgrade.flag", "255"},
      {"sys.qnupgrade.force", "1"}, {"ctl.restart", "qnhmi"}};
  for (const auto& c : cases) {
    settings_.update_file = c.image ? Utf8ToUtf16(image_) : L"";
    settings_.boot_logo = c.logo ? Utf8ToUtf16(logo_) : L"";
    auto worker = Worker(c.address);
    worker->Upgrade();
    EXPECT_EQ(worker->stored_state().text, L"升级结束") << c.address;
    const PanelState state = fleet_.State(c.address);
    EXPECT_EQ(Pushes(state, "/tmp/fleet-sync/update.img"), c.image ? 1 : 0) << c.address;
    EXPECT_EQ(Pushes(state, "/tmp/fleet-sync/boot_logo.JPG"), c.logo ? 1 : 0) << c.address;
    EXPECT_EQ(state.setprops, staged) << c.address;
  }
}

// Power cut while the log is followed: the connection stays open and adb
// never notices; the watchdog ends the stream.
TEST_F(UpgradeEndToEnd, PowerCutDuringUpgradeEndsAsAFailure) {
  Panel("127.0.3.15").PowerCutDuringUpgrade();
  auto worker = FirstPass("127.0.3.15");
  EXPECT_EQ(worker->stored_state().text, L"升级失败");
  EXPECT_EQ(worker->upgrade_start(), -1);
  worker->Upgrade();
  EXPECT_EQ(worker->stored_state().text, L"无法连接127.0.3.15");
}

// A panel that accepts a command and never answers it: the pass ends in red
// within the bound, and the next pass asks again.
TEST_F(UpgradeEndToEnd, UnansweredCommandEndsThePassWithinItsBound) {
  options_.limits.answer_deadline = 3s;  // commands of a panel that answers take well under it
  Panel("127.0.3.18").NeverAnswer("getprop ro.app.version");
  auto worker = FirstPass("127.0.3.18");
  const std::wstring red = L"adb -s 127.0.3.18:5555 shell getprop ro.app.version: no answer within 3 s";
  EXPECT_EQ(worker->stored_state().text, red);
  EXPECT_EQ(worker->stored_state().kind, kStateError);
  worker->Upgrade();
  EXPECT_EQ(worker->stored_state().text, red);
  const PanelState state = fleet_.State("127.0.3.18");
  EXPECT_EQ(std::count(state.commands.begin(), state.commands.end(), "getprop ro.app.version"), 2);
}

// A panel that answers with output that never ends cannot fill this
// program's memory: the command is cut at its output cap.
TEST_F(UpgradeEndToEnd, EndlessAnswerIsCutAtTheOutputCap) {
  options_.limits.output_cap = 256 * 1024;
  Panel("127.0.3.19").EndlessOutput("getprop ro.app.name");
  auto worker = FirstPass("127.0.3.19");
  EXPECT_EQ(worker->stored_state().text,
            L"adb -s 127.0.3.19:5555 shell getprop ro.app.name: more than 256 KiB of output");
  EXPECT_EQ(worker->last_outcome(), PassOutcome::kError);
}

// Power lost right after the success line (no FIN): the watchdog ends the
// stream, the captured success counts, and a forced upgrade is not repeated
// once the panel is back.
TEST_F(UpgradeEndToEnd, PowerLostAfterSuccessIsAFinishedUpgrade) {
  settings_.force_update = true;
  Panel("127.0.3.20").PowerCutAfterSuccess(4000);
  auto worker = FirstPass("127.0.3.20");
  EXPECT_EQ(worker->stored_state().text, L"升级结束");
  ASSERT_TRUE(PassUntil(*worker, PassOutcome::kFinishedByForce)) << fleet_.SimulatorOutput();
  EXPECT_EQ(worker->stored_state().text, L"该设备已完成升级，当前版本 1.1.0");
  const PanelState state = fleet_.State("127.0.3.20");
  EXPECT_EQ(state.upgrades_done, 1);
  EXPECT_EQ(Pushes(state, "/tmp/fleet-sync/update.img"), 1);
}

// Upgrades that "succeed" but leave the old version: staged twice, then held
// in red - not staged again - until a new worker (the settings saved again).
TEST_F(UpgradeEndToEnd, UpgradeThatNeverTakesIsStagedTwiceThenHeld) {
  Panel("127.0.3.21").SuccessKeepsVersion();
  auto worker = FirstPass("127.0.3.21");
  ASSERT_TRUE(PassUntil(*worker, PassOutcome::kVersionUnchanged)) << fleet_.SimulatorOutput();
  worker->Upgrade();
  EXPECT_EQ(worker->stored_state().text, L"升级后版本未变化：1.0.0");
  EXPECT_EQ(worker->stored_state().kind, kStateError);
  const PanelState state = fleet_.State("127.0.3.21");
  EXPECT_EQ(state.successes_logged, 2);
  EXPECT_EQ(Pushes(state, "/tmp/fleet-sync/update.img"), 2);
  Worker("127.0.3.21")->Upgrade();
  EXPECT_EQ(Pushes(fleet_.State("127.0.3.21"), "/tmp/fleet-sync/update.img"), 3);
}

// A push that keeps moving is never cut, however slow; one that stops moving
// is cut after the stall limit. (The slow image takes several stall limits.)
TEST_F(UpgradeEndToEnd, SlowPushGoesOnAndStalledPushIsCut) {
  options_.limits.push_stall_limit = 3s;
  // Its slow link also slows the log's start: the upgrade waits a while for it.
  Panel("127.0.3.22").RateLimit(200 * 1024).Timing(2000, 50, 2, 300);
  Panel("127.0.3.23").StallPushAfter(64 * 1024);
  image_ = fleetsync_test::MakeImage(adb_.tmpdir() + "/slow.img", "1.1.0", 2 * 1024 * 1024);
  settings_.update_file = Utf8ToUtf16(image_);
  fleet_.Start();
  auto slow = Worker("127.0.3.22");
  slow->Upgrade();
  EXPECT_EQ(slow->stored_state().text, L"升级结束");
  EXPECT_EQ(fleet_.State("127.0.3.22").pushed.size(), 1u);
  auto stalled = Worker("127.0.3.23");
  stalled->Upgrade();
  EXPECT_EQ(stalled->stored_state().text,
            L"adb -s 127.0.3.23:5555 push \"" + Utf8ToUtf16(image_) + L"\" /tmp/fleet-sync/update.img: no progress for 3 s");
  EXPECT_TRUE(fleet_.State("127.0.3.23").pushed.empty());
}

}  // namespace
