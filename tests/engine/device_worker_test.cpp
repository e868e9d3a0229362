// The upgrade pass against a scripted fake adb: one test per decision branch.
#include "engine/device_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "base/text.h"
#include "tests/engine/fake_adb.h"
#include "tests/engine/loopback_socket.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::chrono_literals;
using fleetsync_test::WaitUntil;

constexpr const char* kSuccessLog =
    "I/upd: startUpgrade\nI/upd: write part: res 0\nI/upd: upgrade success, will reboot system!\n";

class UpgradePass : public ::testing::Test {
 protected:
  UpgradePass() {
    adb_.Set("update.img", "image");
    settings_.update_file = Utf8ToUtf16(image_);
    settings_.version = L"1.1.0";
    settings_.project = L"demo";
    adb_.Set("stream", kSuccessLog);
    options_.write_diagnostic_line = false;
    options_.log_watchdog_limit = 1500ms;
    options_.log_watchdog_interval = 100ms;
    // Far above what the scripted adb takes, even on a loaded machine.
    options_.limits.answer_deadline = 5s;
  }

  std::unique_ptr<DeviceWorker> MakeWorker() {
    options_.probe_port = panel_.port();
    return std::make_unique<DeviceWorker>(L"127.0.0.1", settings_, options_);
  }

  // Runs one pass; returns the text it left.
  std::wstring Pass(DeviceWorker& worker) {
    worker.Upgrade();
    return worker.stored_state().text;
  }

  bool AnyCallContains(const std::string& word) const {
    return adb_.CallsText().find(word) != std::string::npos;
  }

  FakeAdb adb_;
  const std::string image_ = (adb_.folder() / "update.img").string();
  LoopbackSocket panel_{LoopbackSocket::kListening};
  UpgradeSettings settings_;
  WorkerOptions options_;
};

// Passes that end before anything is staged on the panel.
struct ShortPass {
  const char* name;
  void (*arrange)(FakeAdb&, UpgradeSettings&, LoopbackSocket&);
  std::wstring text;
  PassOutcome outcome;  // an error or an unreachable panel is shown in red
  const char* never_called;  // besides push and setprop, which no short pass runs
};

const ShortPass kShortPasses[] = {
    // The build part does not make a panel outdated. (A plain current panel:
    // the driver's and the program's fleet runs.)
    {"CurrentWithBuild", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) { a.Set("version", "1.1.0+x"); },
     L"已经是最新版本：1.1.0+x", PassOutcome::kCurrent, "logcat"},
    {"Newer", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) { a.Set("version", "2.0.0"); },
     L"该设备版本高于升级版本:  2.0.0", PassOutcome::kNewer, "logcat"},
    // Trimmed, but compared case-sensitively.
    {"ProjectCase", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) { a.Set("name", "Demo\r\n"); },
     L"项目名不匹配：Demo", PassOutcome::kProjectMismatch, "ro.app.version"},
    {"ProjectEmpty", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) { a.Set("name", ""); },
     L"项目名不匹配：", PassOutcome::kProjectMismatch, "ro.app.version"},
    {"NoVersion", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) { a.Set("version", " \r\n"); },
     L"未找到版本号", PassOutcome::kNoVersion, "ifconfig"},
    {"NothingToSend", [](FakeAdb&, UpgradeSettings& s, LoopbackSocket&) { s.update_file.clear(); },
     L"必须设置升级文件或者开机LOGO", PassOutcome::kNothingToSend, "logcat"},
    {"LostWhileIdentifying", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) { a.Fail("ro.app.version"); },
     L"adb -s 127.0.0.1:5555 shell getprop ro.app.version failed, return value 1", PassOutcome::kError, "ifconfig"},
    // No server runs, and PATH names a folder without adb to start one.
    {"NoAdb", [](FakeAdb& a, UpgradeSettings&, LoopbackSocket&) {
       a.StopListening();
       setenv("PATH", a.folder().c_str(), 1);
     }, L"adb not found", PassOutcome::kError, "connect"},
    // Probed first: adb is not run at all.
    {"Unreachable", [](FakeAdb&, UpgradeSettings&, LoopbackSocket& p) { p.Close(); },
     L"无法连接127.0.0.1", PassOutcome::kUnreachable, "connect"},
    // A file adb cannot push is found before the panel is touched.
    {"MissingImage", [](FakeAdb&, UpgradeSettings& s, LoopbackSocket&) { s.update_file = L"/nonexistent/u.img"; },
     L"升级文件无法使用：/nonexistent/u.img（文件不存在）", PassOutcome::kFileUnusable, "logcat"},
    {"LogoIsAFolder", [](FakeAdb&, UpgradeSettings& s, LoopbackSocket&) { s.boot_logo = L"/tmp"; },
     L"开机LOGO无法使用：/tmp（不是普通文件）", PassOutcome::kFileUnusable, "logcat"},
};

void PrintTo(const ShortPass& pass, std::ostream* out) { *out << pass.name; }

class ShortPasses : public UpgradePass, public ::testing::WithParamInterface<ShortPass> {};

TEST_P(ShortPasses, EndWithTheirTextAndStageNothing) {
  GetParam().arrange(adb_, settings_, panel_);
  auto worker = MakeWorker();
  const PassReport report = worker->Upgrade();
  EXPECT_EQ(report.state, GetParam().text);
  EXPECT_EQ(report.outcome, GetParam().outcome);
  EXPECT_EQ(worker->last_outcome(), GetParam().outcome);
  EXPECT_FALSE(report.staged);
  const bool red = GetParam().outcome == PassOutcome::kError || GetParam().outcome == PassOutcome::kUnreachable ||
                   GetParam().outcome == PassOutcome::kFileUnusable;
  EXPECT_EQ(worker->stored_state().kind, red ? kStateError : kStateNormal);
  for (const char* word : {"push", "setprop", GetParam().never_called}) EXPECT_FALSE(AnyCallContains(word)) << word;
  if (GetParam().outcome == PassOutcome::kUnreachable) {  // never counted as connected
    EXPECT_FALSE(worker->connected());
    EXPECT_EQ(worker->connect_tick(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(UpgradePass, ShortPasses, ::testing::ValuesIn(kShortPasses),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpgradePass, SuccessfulUpgradeRunsTheCommandsInOrder) {
  adb_.Set("logo.jpg", "JPEG");
  settings_.boot_logo = Utf8ToUtf16((adb_.folder() / "logo.jpg").string());
  auto worker = MakeWorker();
  std::vector<std::wstring> reported;
  std::vector<std::int64_t> starts;
  worker->SetStateObserver([&](const StateRecord& record) {
    reported.push_back(record.text);
    starts.push_back(worker->upgrade_start());
  });
  const PassReport report = worker->Upgrade();
  EXPECT_EQ(report.state, L"升级结束");
  EXPECT_EQ(report.outcome, PassOutcome::kUpgraded);
  EXPECT_TRUE(report.staged);
  EXPECT_TRUE(worker->connected());
  EXPECT_NE(worker->connect_tick(), 0u);
  const std::vector<std::string> expected = {
      "connect 127.0.0.1:5555",
      "host-serial:127.0.0.1:5555:features",  // once for every shell command of the pass
      "-s 127.0.0.1:5555 shell getprop ro.app.name",
      "-s 127.0.0.1:5555 shell getprop ro.app.version",
      "-s 127.0.0.1:5555 shell ifconfig",
      "-s 127.0.0.1:5555 logcat -d",
      "-s 127.0.0.1:5555 shell setprop ctl.stop qnhmi",
      "-s 127.0.0.1:5555 shell mkdir -p /tmp/fleet-sync",
      "host-serial:127.0.0.1:5555:features",  // a push asks for itself
      "-s 127.0.0.1:5555 push /tmp/fleet-sync/update.img",
      "host-serial:127.0.0.1:5555:features",
      "-s 127.0.0.1:5555 push /tmp/fleet-sync/boot_logo.JPG",
      "-s 127.0.0.1:5555 shell setprop sys.qnupgrade.dir /tmp/fleet-sync",
      "-s 127.0.0.1:5555 shell setprop sys.qnupgrade.flag 255",
      "-s 127.0.0.1:5555 shell setprop sys.qnupgrade.force 1",
      "-s 127.0.0.1:5555 shell setprop ctl.restart qnhmi",
      "-s 127.0.0.1:5555 shell logcat",
  };
  EXPECT_EQ(adb_.Calls(), expected);
  const std::vector<std::wstring> texts = {L"正在连接...", L"准备升级（设备可能会短暂黑屏）...",
                                           L"升级中 ...", L"升级结束"};
  EXPECT_EQ(reported, texts);
  // Monitoring is visible while "升级中 ..." is reported and over before the end.
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_GE(starts[2], 0);
  EXPECT_EQ(starts[3], -1);
  EXPECT_EQ(worker->upgrade_start(), -1);
}

TEST_F(UpgradePass, UpgradeUnderwayIsOnlyFollowed) {
  adb_.Set("dump", "I/upd: Enter upgrade...\n");
  auto worker = MakeWorker();
  EXPECT_EQ(Pass(*worker), L"升级结束");
  for (const char* word : {"push", "setprop", "mkdir"}) EXPECT_FALSE(AnyCallContains(word)) << word;
  EXPECT_TRUE(AnyCallContains("-s 127.0.0.1:5555 shell logcat\n"));
}

// A failed command - a log adb could not attach to showed nothing to judge -
// is an error, never "升级结束", and the panel is attached afresh (disconnect,
// then connect) on the next pass.
TEST_F(UpgradePass, FailedCommandIsAnErrorAndTheNextPassReattaches) {
  const std::pair<const char*, std::wstring> failures[] = {
      {"push", L"adb -s 127.0.0.1:5555 push \"" + Utf8ToUtf16(image_) +
                   L"\" /tmp/fleet-sync/update.img failed, return value 1"},
      {"shell logcat", L"adb -s 127.0.0.1:5555 shell logcat failed, return value 1"}};
  auto worker = MakeWorker();
  for (const auto& [command, text] : failures) {
    adb_.Fail(command);
    EXPECT_EQ(Pass(*worker), text);
    EXPECT_EQ(worker->last_outcome(), PassOutcome::kError);
    adb_.Heal(command);
    const size_t before = adb_.Calls().size();
    EXPECT_EQ(Pass(*worker), L"升级结束");
    const auto calls = adb_.Calls();
    ASSERT_GE(calls.size(), before + 2);
    EXPECT_EQ(calls[before], "disconnect 127.0.0.1:5555");
    EXPECT_EQ(calls[before + 1], "connect 127.0.0.1:5555");
  }
}

TEST_F(UpgradePass, ForceUpgradesACurrentPanelOnceByItsMac) {
  settings_.force_update = true;
  adb_.Set("version", "1.1.0");
  adb_.Set("name", "other");
  auto worker = MakeWorker();
  EXPECT_EQ(Pass(*worker), L"升级结束");
  EXPECT_EQ(worker->finished_macs(), std::set<std::wstring>{L"00:11:22:33:44:55"});
  // Another panel answering at the same address is upgraded. (The same panel
  // is not: the simulated panel's power lost after success.)
  adb_.Set("ifconfig", "eth0 Link encap:Ethernet HWaddr 66:77:88:99:aa:bb\n");
  EXPECT_EQ(Pass(*worker), L"升级结束");
}

TEST_F(UpgradePass, ForceWithoutMacKeysOnTheEmptyText) {
  settings_.force_update = true;
  adb_.Set("ifconfig", "eth0 Link encap:Ethernet\nwlan0 HWaddr 00:00:00:00:00:01\n");
  adb_.Set("version", "");
  auto worker = MakeWorker();
  EXPECT_EQ(Pass(*worker), L"升级结束");
  EXPECT_EQ(worker->finished_macs(), std::set<std::wstring>{L""});
  EXPECT_EQ(Pass(*worker), L"该设备已完成升级，当前版本 ");
}

// A followed log that streams past the follow limit is ended and judged by
// what it showed until then. (Ended by a power cut that closes no connection,
// with and without the success line: the simulated panel's end-to-end cases.)
TEST_F(UpgradePass, LogEndedAtTheFollowLimitIsJudgedByWhatItShowed) {
  settings_.force_update = true;
  adb_.HangStream();
  adb_.Set("stream", "I/upd: startUpgrade\n");
  options_.limits.follow_limit = 1s;
  auto worker = MakeWorker();
  EXPECT_EQ(Pass(*worker), L"升级失败");
  EXPECT_EQ(worker->upgrade_start(), -1);
  EXPECT_TRUE(worker->finished_macs().empty());  // a failed forced upgrade is tried again
}

// Counts the passes whose end schedules the next one.
class WorkerLoop : public UpgradePass {
 protected:
  std::atomic<int> passes_{0};
};

// Wakes that arrive before the worker waits again count as one.
TEST_F(WorkerLoop, WakesDuringAPassRunOneMorePass) {
  panel_.Close();
  auto worker = MakeWorker();
  worker->Start([this, started = worker.get()](const PassReport&) {
    if (++passes_ == 1) {
      started->Wake();
      started->Wake();
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return passes_ >= 2; }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(passes_, 2);
}

// Stop during a blocked command: the command is closed, later commands are
// refused, the stored state is not overwritten and the thread is joined.
TEST_F(WorkerLoop, StopEndsAPassBlockedInAdb) {
  adb_.HangStream();
  auto worker = MakeWorker();
  worker->Start([this](const PassReport&) { ++passes_; });
  ASSERT_TRUE(WaitUntil([&] { return worker->upgrade_start() >= 0; }));
  worker->Stop();
  ASSERT_TRUE(WaitUntil([&] { return worker->last_outcome() != PassOutcome::kNone; }));
  EXPECT_EQ(worker->last_outcome(), PassOutcome::kStopped);
  EXPECT_EQ(worker->stored_state().text, L"升级中 ...");
  EXPECT_EQ(worker->upgrade_start(), -1);
  worker.reset();
  EXPECT_EQ(passes_, 0);  // a stopped pass schedules nothing
}

}  // namespace
