// The socket client against Debian's adb as the oracle: every adb operation
// of the upgrade pass, on panels with each fault, gives the same output and
// exit status through both.
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

#include "engine/adb/adb_client.h"
#include "engine/adb/cancel_group.h"
#include "engine/child_registry.h"
#include "engine/command_runner.h"
#include "engine/reachability.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/simulated_fleet.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::chrono_literals;
using fleetsync_test::ProcessResult;
using Args = std::vector<std::string>;

// A push reports its rate and time, which differ from run to run.
std::string WithoutRate(const std::string& output) {
  static const std::regex rate(R"([0-9.]+ MB/s \([0-9]+ bytes in [0-9.]+s\))");
  return std::regex_replace(output, rate, "RATE");
}

class AdbClientDifferential : public ::testing::Test {
 protected:
  AdbClientDifferential() {
    image_ = fleetsync_test::MakeImage(adb_.tmpdir() + "/update.img", "1.1.0", 300 * 1024);
    logo_ = adb_.tmpdir() + "/logo.jpg";
    std::ofstream(logo_) << "JPEG";
  }

  struct OurRun {
    adb::Result result;
    std::string output;
  };
  // The same command line through the socket client.
  OurRun Ours(const Args& args, const CommandBound& bound = {}) {
    std::string output;
    adb::Operation operation{nullptr, bound, [&output](std::string_view bytes) { output += bytes; }};
    const std::string& serial = args.size() > 1 ? args[1] : args[0];
    const Args rest(args.begin() + std::min<size_t>(args.size(), 3), args.end());
    adb::Result result;
    if (args[0] == "connect") result = client_.Connect(args[1], operation);
    else if (args[0] == "disconnect") result = client_.Disconnect(args[1], operation);
    else if (args[2] == "logcat") result = client_.Logcat(serial, rest, operation);
    else if (args[2] == "push") result = client_.Push(serial, rest.at(0), rest.at(1), operation);
    else {
      std::string command;
      for (const std::string& word : rest) command += (command.empty() ? "" : " ") + word;
      result = client_.Shell(serial, command, operation);
    }
    return {result, output};
  }

  struct Row {
    Args args;          // adb's arguments; "S" stands for the panel's serial
    std::vector<Args> setup = {};  // run through adb before each of the two runs
    // adb's logcat waits for a device that is not there ("- waiting for
    // device -") until it is killed; the client says at once that it is not.
    bool adb_waits_for_device = false;
  };

  // Runs every row through adb, then through the client, and compares.
  void ExpectSameResults(const std::string& address, const std::vector<Row>& rows) {
    const std::string serial = address + ":5555";
    const auto with_serial = [&](Args args) {
      for (std::string& word : args) if (word == "S") word = serial;
      return args;
    };
    for (const Row& row : rows) {
      const Args args = with_serial(row.args);
      const auto prepare = [&] {
        for (const Args& command : row.setup) adb_.Adb(with_serial(command));
      };
      prepare();
      const ProcessResult theirs = adb_.Adb(args, row.adb_waits_for_device ? 2s : 60s);
      prepare();
      const OurRun ours = Ours(args);
      EXPECT_FALSE(ours.result.cut.has_value()) << address;
      const std::string line = address + ": adb " + ::testing::PrintToString(args);
      if (row.adb_waits_for_device) {
        EXPECT_TRUE(theirs.timed_out) << line;
        EXPECT_EQ(theirs.output, "- waiting for device -\n") << line;
        EXPECT_EQ(ours.output, "error: device '" + serial + "' not found\n") << line;
        EXPECT_EQ(ours.result.exit_code, 1) << line;
        continue;
      }
      EXPECT_EQ(WithoutRate(ours.output), WithoutRate(theirs.output)) << line;
      EXPECT_EQ(ours.result.exit_code, theirs.exit_code) << line << "\n" << theirs.output;
    }
  }

  // "shell logcat" from before the upgrade is triggered until the reboot
  // ends it, through adb and the client at the same time.
  void ExpectSameFollowedLog(const std::string& address) {
    const std::string serial = address + ":5555";
    auto theirs = adb_.AdbInBackground({"-s", serial, "shell", "logcat"});
    std::mutex mutex;
    std::string ours;
    adb::Result result;
    std::thread follower([&] {
      adb::Operation operation{nullptr, {}, [&](std::string_view bytes) {
                                 std::lock_guard<std::mutex> lock(mutex);
                                 ours += bytes;
                               }};
      result = client_.Shell(serial, "logcat", operation);
    });
    const std::string history = "hmi started";  // the first lines are there before the trigger
    ASSERT_TRUE(theirs->WaitForOutput(history, 20s));
    ASSERT_TRUE(fleetsync_test::WaitUntil([&] {
      std::lock_guard<std::mutex> lock(mutex);
      return ours.find(history) != std::string::npos;
    }));
    // Starts installing the image pushed beforehand.
    for (const char* property : {"sys.qnupgrade.dir /tmp/fleet-sync", "sys.qnupgrade.flag 255",
                                 "ctl.restart qnhmi"})
      adb_.Adb({"-s", serial, "shell", std::string("setprop ") + property});
    const ProcessResult their_log = theirs->Wait(60s);
    follower.join();
    EXPECT_FALSE(their_log.timed_out);
    EXPECT_EQ(ours, their_log.output) << address;
    EXPECT_EQ(result.exit_code, their_log.exit_code) << address;
  }

  fleetsync_test::AdbTestServer adb_;
  fleetsync_test::SimulatedFleet fleet_;
  adb::Client client_{adb::ServerPortFromEnvironment(), [] { StartAdbServer(30s); }};
  std::string image_;
  std::string logo_;
};

// Every operation the pass runs on a panel that takes it, old (raw shell,
// "\r\n") and recent (shell_v2, exit codes), then the followed log of an upgrade.
TEST_F(AdbClientDifferential, EveryOperationOnRawAndShellV2Panels) {
  fleet_.Add("127.0.13.2").NonUtf8Prop("ro.app.version").NonUtf8Log();
  fleet_.Add("127.0.13.3").ShellV2().NonUtf8Prop("ro.app.name");
  fleet_.Start();
  for (const std::string address : {"127.0.13.2", "127.0.13.3"}) {
    ASSERT_TRUE(adb_.Connect(address + ":5555"));
    ExpectSameResults(address, {
        {{"connect", "S"}, {{"disconnect", "S"}}},
        {{"connect", "S"}},
        {{"disconnect", "S"}, {{"connect", "S"}}},
        {{"-s", "S", "shell", "getprop", "ro.app.name"}, {{"connect", "S"}}},
        {{"-s", "S", "shell", "getprop", "ro.app.version"}},
        {{"-s", "S", "shell", "ifconfig"}},
        {{"-s", "S", "logcat", "-d"}},
        {{"-s", "S", "shell", "setprop", "ctl.stop", "qnhmi"}},
        {{"-s", "S", "shell", "mkdir", "-p", "/tmp/fleet-sync"}},
        {{"-s", "S", "shell", "mkdir", "/tmp/fleet-sync"}},  // exists: 1 under shell_v2
        {{"-s", "S", "push", image_, "/tmp/fleet-sync/update.img"}},
        {{"-s", "S", "push", logo_, "/tmp/fleet-sync/boot_logo.JPG"}},
        {{"-s", "S", "push", logo_, "/tmp/fleet-sync"}},  // onto a folder
        {{"-s", "S", "push", adb_.tmpdir() + "/missing.img", "/tmp/fleet-sync/update.img"}},
        {{"-s", "S", "shell", "setprop", "sys.qnupgrade.force", "1"}},
        {{"-s", "S", "shell", "no-such-command"}},
    });
    ExpectSameFollowedLog(address);
  }
}

TEST_F(AdbClientDifferential, PanelsThatFail) {
  fleet_.Add("127.0.13.4").Refuse();
  fleet_.Add("127.0.13.5").DropPushAfter(100 * 1024);
  fleet_.Add("127.0.13.6").ShellV2().PushFail("No space left on device");
  fleet_.Add("127.0.13.7").SilentHandshake();
  fleet_.Add("127.0.13.8").ShellV2().DropMidLogcat().Timing(300, 400, 3, 30000);
  fleet_.Start();
  ExpectSameResults("127.0.13.4", {
      {{"connect", "S"}},
      {{"-s", "S", "shell", "getprop", "ro.app.name"}},
      {{"-s", "S", "logcat", "-d"}, {}, true},
      {{"-s", "S", "push", image_, "/tmp/fleet-sync/update.img"}},
      {{"disconnect", "S"}},
  });
  const Row reattached_push = {
      {"-s", "S", "push", image_, "/tmp/fleet-sync/update.img"}, {{"disconnect", "S"}, {"connect", "S"}}};
  ExpectSameResults("127.0.13.5", {reattached_push});
  ExpectSameResults("127.0.13.6", {reattached_push});
  ExpectSameResults("127.0.13.7", {
      {{"connect", "S"}, {{"disconnect", "S"}}},
      {{"-s", "S", "shell", "getprop", "ro.app.name"}},  // left offline
  });
  ASSERT_TRUE(adb_.Connect("127.0.13.8:5555"));
  ExpectSameResults("127.0.13.8", {{{"-s", "S", "push", image_, "/tmp/fleet-sync/update.img"}}});
  ExpectSameFollowedLog("127.0.13.8");  // ends at the drop, without success
}

// A panel that floods a command, never answers another and stops taking a
// push: only the operation's bounds or its group end what is sent to it. The
// cap cuts the output where adb's own output goes on.
TEST_F(AdbClientDifferential, BoundsAndCancellingEndAnOperation) {
  fleet_.Add("127.0.13.10").ShellV2().EndlessOutput("getprop ro.app.name")
      .NeverAnswer("getprop ro.app.version").StallPushAfter(64 * 1024);
  fleet_.Start();
  const std::string serial = "127.0.13.10:5555";
  ASSERT_TRUE(adb_.Connect(serial));
  constexpr size_t kCap = 200 * 1024;
  auto flood = adb_.AdbInBackground({"-s", serial, "shell", "getprop", "ro.app.name"});
  ASSERT_TRUE(fleetsync_test::WaitUntil([&] { return flood->OutputSoFar().size() >= kCap; }));
  const OurRun capped = Ours({"-s", serial, "shell", "getprop", "ro.app.name"}, {0ms, 0ms, kCap});
  EXPECT_EQ(capped.result.cut, CutReason::kOutputCap);
  EXPECT_EQ(capped.output, flood->OutputSoFar().substr(0, kCap));

  const ProcessResult unanswered = adb_.Adb({"-s", serial, "shell", "getprop", "ro.app.version"}, 1s);
  EXPECT_TRUE(unanswered.timed_out);
  EXPECT_EQ(unanswered.output, "");
  EXPECT_EQ(Ours({"-s", serial, "shell", "getprop", "ro.app.version"}, {300ms, 0ms, 0}).result.cut,
            CutReason::kDeadline);
  EXPECT_EQ(client_.Push(serial, image_, "/tmp/fleet-sync/update.img", {nullptr, {0ms, 300ms, 0}, {}}).cut,
            CutReason::kStalled);
  adb::CancelGroup group;
  adb::Result result;
  std::thread blocked([&] { result = client_.Shell(serial, "getprop ro.app.version", {&group, {}, {}}); });
  group.Cancel();
  blocked.join();
  EXPECT_EQ(result.cut, CutReason::kCancelled);
  EXPECT_EQ(client_.Connect(serial, {&group, {}, {}}).cut, CutReason::kCancelled);  // for good
}

// The first operation finds no server, starts it through the starter on the
// port the environment names, and does not mind another program starting one
// at the same moment.
TEST_F(AdbClientDifferential, StartsTheServerWhenItsPortRefuses) {
  const int port = fleetsync_test::FreeLoopbackPort();
  fleetsync_test::ScopedEnv server_port("ANDROID_ADB_SERVER_PORT", std::to_string(port).c_str());
  int starts = 0;
  adb::Client client(port, [&] {
    ++starts;
    StartAdbServer(30s);
  });
  std::string output;
  const auto disconnect = [&] {
    output.clear();
    return client.Disconnect("127.0.13.9:5555",
                             {nullptr, {}, [&](std::string_view bytes) { output += bytes; }});
  };
  EXPECT_EQ(disconnect().exit_code, 1);
  EXPECT_EQ(output, "error: no such device '127.0.13.9:5555'\n");
  EXPECT_EQ(starts, 1);
  // The server the start forked is no child of ours: ending them, as a stop
  // does, leaves it running.
  EndAllChildren();
  EXPECT_EQ(ProbeReachable("127.0.0.1", port), 0);

  adb_.Adb({"kill-server"});
  ASSERT_TRUE(fleetsync_test::WaitUntil([&] { return ProbeReachable("127.0.0.1", port) != 0; }));
  auto other_program = adb_.AdbInBackground({"start-server"});
  EXPECT_EQ(disconnect().exit_code, 1);
  EXPECT_EQ(output, "error: no such device '127.0.13.9:5555'\n");
  other_program->Wait(30s);  // whichever start lost the race failed; the server runs
  adb_.Adb({"kill-server"});
}

}  // namespace
