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

}  // namespace
}  // namespace fleetsync_test
