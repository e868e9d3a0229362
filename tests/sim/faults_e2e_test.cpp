// Scripted panel faults as Debian's adb sees them (failing, underway, logo-only,
// power-cut upgrades and slow pushes are the worker's end-to-end tests').
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace fleetsync_test {
namespace {

using namespace std::chrono_literals;

class FaultE2eTest : public ::testing::Test {
 protected:
  // One panel per test, each on its own address (tests run in parallel).
  PanelSpec& Panel(int last_octet) {
    address_ = "127.0.0." + std::to_string(last_octet);
    // A port of its own keeps it clear of panels other suites run on :5555.
    return fleet_.Add(address_).Port(5611).ShellV2().Timing(50, 60, 2, 200);
  }
  void StartAndConnect() {
    fleet_.Start();
    ASSERT_TRUE(adb_.Connect(serial()));
  }
  std::string serial() const { return fleet_.SerialFor(address_); }
  ProcessResult Run(std::vector<std::string> words, std::chrono::milliseconds timeout = 60s) {
    std::vector<std::string> args = {"-s", serial()};
    args.insert(args.end(), words.begin(), words.end());
    return adb_.Adb(args, timeout);
  }
  // Stages an image (or a logo) and starts the panel's upgrade, as the engine does.
  void TriggerUpgrade(const std::string& image_version, const std::string& name = "update.img") {
    const std::string image = MakeImage(adb_.tmpdir() + "/" + name, image_version);
    ASSERT_EQ(Run({"push", image, "/tmp/fleet-sync/" + name}).exit_code, 0);
    ASSERT_EQ(Run({"shell", "setprop", "sys.qnupgrade.dir", "/tmp/fleet-sync"}).exit_code, 0);
    ASSERT_EQ(Run({"shell", "setprop", "sys.qnupgrade.flag", "255"}).exit_code, 0);
    ASSERT_EQ(Run({"shell", "setprop", "ctl.restart", "qnhmi"}).exit_code, 0);
  }
  bool RebootedInto(const std::string& version) {
    return fleet_.WaitFor(address_, [&](const PanelState& s) {
      return s.reboot_count == 1 && s.listening && s.version == version;
    });
  }

  AdbTestServer adb_;
  SimulatedFleet fleet_;
  std::string address_;
};

TEST_F(FaultE2eTest, DropMidLogcatEndsTheStreamWithoutSuccess) {
  Panel(233).Version("1.0.0").DropMidLogcat();
  StartAndConnect();
  TriggerUpgrade("2.0.0");
  const ProcessResult log = Run({"shell", "logcat"}, 30s);
  EXPECT_FALSE(log.timed_out);
  EXPECT_EQ(log.exit_code, 0);
  EXPECT_NE(log.output.find("startUpgrade"), std::string::npos);
  EXPECT_EQ(log.output.find("write part: res"), std::string::npos);
  EXPECT_TRUE(RebootedInto("1.0.0"));
}

// The restart alone does nothing without the properties and a staged file.
TEST_F(FaultE2eTest, RestartWithoutStagingStartsNoUpgrade) {
  Panel(236);
  StartAndConnect();
  Run({"shell", "setprop", "sys.qnupgrade.flag", "255"});
  Run({"shell", "setprop", "sys.qnupgrade.dir", "/tmp/fleet-sync"});
  Run({"shell", "mkdir", "/tmp/fleet-sync"});
  Run({"shell", "setprop", "ctl.restart", "qnhmi"});
  std::this_thread::sleep_for(500ms);
  const PanelState state = fleet_.State(address_);
  EXPECT_FALSE(state.upgrading);
  EXPECT_EQ(state.reboot_count, 0);
  EXPECT_EQ(Run({"logcat", "-d"}).output.find("Enter upgrade..."), std::string::npos);
}

TEST_F(FaultE2eTest, PowerComesBackAtTheOldVersionWithAFreshLog) {
  Panel(241).Version("1.0.0").LogLine("before the cut").PowerCutAfter(300, 400);
  StartAndConnect();
  ASSERT_TRUE(fleet_.WaitFor(address_, [](const PanelState& s) { return !s.powered; }));
  ASSERT_TRUE(fleet_.WaitFor(address_, [](const PanelState& s) {
    return s.powered && s.listening && s.reboot_count == 1;
  }));
  adb_.Adb({"disconnect", serial()});
  ASSERT_TRUE(adb_.Connect(serial()));
  EXPECT_EQ(Run({"shell", "getprop", "ro.app.version"}).output, "1.0.0\n");
  EXPECT_EQ(Run({"logcat", "-d"}).output.find("before the cut"), std::string::npos);
}

TEST_F(FaultE2eTest, NonUtf8BytesReachTheClientUnchanged) {
  Panel(238).Project("QN").NonUtf8Prop("ro.app.name").NonUtf8Log();
  StartAndConnect();
  const ProcessResult name = Run({"shell", "getprop", "ro.app.name"});
  EXPECT_EQ(name.output, "QN\xff\xfe\xc3(\x80\n");
  EXPECT_NE(Run({"logcat", "-d"}).output.find("\xff\xfe"), std::string::npos);
}

TEST_F(FaultE2eTest, SilentHandshakeLeavesTheTransportOffline) {
  Panel(240).SilentHandshake();
  fleet_.Start();
  const ProcessResult connect = adb_.Adb({"connect", serial()}, 30s);
  EXPECT_NE(connect.output.find("failed to connect"), std::string::npos) << connect.output;
  const ProcessResult shell = Run({"shell", "true"}, 30s);
  EXPECT_NE(shell.exit_code, 0);
  EXPECT_NE(shell.output.find("offline"), std::string::npos) << shell.output;
}

}  // namespace
}  // namespace fleetsync_test
