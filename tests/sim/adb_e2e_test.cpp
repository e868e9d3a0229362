// Debian's adb against the simulator: what the upgrade engine relies on.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace fleetsync_test {
namespace {

using namespace std::chrono_literals;

bool SameBytes(const std::string& a, const std::string& b) {
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(unreadable)");
  };
  return read(a) == read(b);
}

// Panels of these tests listen on a port of their own, so they never meet
// panels that other suites or benchmarks run on :5555 at the same time.
constexpr uint16_t kPort = 5610;

class AdbE2eTest : public ::testing::Test {
 protected:
  // Two panels: an old one (raw shell, "\r\n") and a recent one (shell_v2).
  // Every test has its own addresses, since ctest runs tests in parallel.
  void StartFleet(int last_octet) {
    kOld = "127.0.0." + std::to_string(last_octet);
    kNew = "127.0.0." + std::to_string(last_octet + 1);
    fleet_.Add(kOld).Port(kPort).Project("QN-A").Version("1.0.0").FastTiming();
    fleet_.Add(kNew).Port(kPort).Project("QN-B").Version("1.2.0").ShellV2().FastTiming();
    fleet_.Start();
    ASSERT_TRUE(adb_.Connect(Serial(kOld)));
    ASSERT_TRUE(adb_.Connect(Serial(kNew)));
  }
  ProcessResult Shell(const std::string& address, std::vector<std::string> words) {
    std::vector<std::string> args = {"-s", Serial(address), "shell"};
    args.insert(args.end(), words.begin(), words.end());
    return adb_.Adb(args);
  }
  std::string Serial(const std::string& a) const { return fleet_.SerialFor(a); }

  std::string kOld;
  std::string kNew;
  AdbTestServer adb_;
  SimulatedFleet fleet_;
};

TEST_F(AdbE2eTest, GetpropAndSetpropRoundTrip) {
  StartFleet(214);
  EXPECT_EQ(Shell(kOld, {"getprop", "ro.app.name"}).output, "QN-A\r\n");
  EXPECT_EQ(Shell(kNew, {"getprop", "ro.app.version"}).output, "1.2.0\n");
  EXPECT_EQ(Shell(kNew, {"getprop", "no.such.prop"}).output, "\n");

  EXPECT_EQ(Shell(kNew, {"setprop", "sys.qnupgrade.flag", "255"}).exit_code, 0);
  EXPECT_EQ(Shell(kNew, {"getprop", "sys.qnupgrade.flag"}).output, "255\n");
  const PanelState state = fleet_.State(kNew);
  ASSERT_EQ(state.setprops.size(), 1u);
  EXPECT_EQ(state.setprops[0], std::make_pair(std::string("sys.qnupgrade.flag"), std::string("255")));
}

// Raw shell loses the exit status; shell_v2 carries it.
TEST_F(AdbE2eTest, ExitCodesOnlyUnderShellV2) {
  StartFleet(218);
  for (const std::string& address : {kOld, kNew}) {
    EXPECT_EQ(Shell(address, {"mkdir", "/tmp/fleet-sync"}).exit_code, 0) << address;
  }
  const ProcessResult old_again = Shell(kOld, {"mkdir", "/tmp/fleet-sync"});
  EXPECT_EQ(old_again.exit_code, 0);
  EXPECT_NE(old_again.output.find("File exists"), std::string::npos);
  const ProcessResult new_again = Shell(kNew, {"mkdir", "/tmp/fleet-sync"});
  EXPECT_EQ(new_again.exit_code, 1);
  EXPECT_NE(new_again.output.find("File exists"), std::string::npos);
  EXPECT_EQ(Shell(kNew, {"mkdir", "-p", "/tmp/fleet-sync"}).exit_code, 0);

  EXPECT_EQ(Shell(kOld, {"frobnicate"}).exit_code, 0);
  const ProcessResult unknown = Shell(kNew, {"frobnicate"});
  EXPECT_EQ(unknown.exit_code, 127);
  EXPECT_NE(unknown.output.find("/system/bin/sh: frobnicate: not found"), std::string::npos);
}

TEST_F(AdbE2eTest, PushesArriveByteExact) {
  StartFleet(220);
  for (size_t size : {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(65537)}) {
    for (const std::string& address : {kOld, kNew}) {
      const std::string local = MakeImage(adb_.tmpdir() + "/img" + std::to_string(size), "2.0.0", size);
      const ProcessResult pushed =
          adb_.Adb({"-s", Serial(address), "push", local, "/tmp/fleet-sync/update.img"});
      ASSERT_EQ(pushed.exit_code, 0) << pushed.output;
      EXPECT_NE(pushed.output.find("1 file pushed"), std::string::npos);
      EXPECT_TRUE(SameBytes(local, fleet_.FilePath(address, "/tmp/fleet-sync/update.img")))
          << size << " bytes to " << address;
    }
  }
  const PanelState state = fleet_.State(kOld);
  ASSERT_EQ(state.pushed.size(), 5u);
  EXPECT_EQ(state.pushed[4].size, 65537u);
  EXPECT_EQ(state.commands.back(), "push /tmp/fleet-sync/update.img");
}

// Raw shell: the stream shows lines logged after it started, and ends with
// exit 0 when the panel reboots.
TEST_F(AdbE2eTest, StreamingLogcatFollowsLiveUntilReboot) {
  StartFleet(226);
  auto logcat = adb_.AdbInBackground({"-s", Serial(kOld), "shell", "logcat"});
  ASSERT_TRUE(logcat->WaitForOutput("hmi started", 10s));
  EXPECT_EQ(Shell(kOld, {"setprop", "ctl.stop", "qnhmi"}).exit_code, 0);
  EXPECT_TRUE(logcat->WaitForOutput("Service 'qnhmi' stopped\r\n", 10s)) << logcat->OutputSoFar();
  EXPECT_EQ(Shell(kOld, {"reboot"}).exit_code, 0);
  const ProcessResult ended = logcat->Wait(10s);
  EXPECT_FALSE(ended.timed_out);
  EXPECT_EQ(ended.exit_code, 0);
  EXPECT_TRUE(fleet_.WaitFor(kOld, [](const PanelState& s) { return s.reboot_count == 1; }));
}

}  // namespace
}  // namespace fleetsync_test
