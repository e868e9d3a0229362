// Debian's adb against the simulator: pushes arrive byte-exact across the
// sync chunk size, on an old panel (raw shell) and a recent one (shell_v2).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace fleetsync_test {
namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(unreadable)");
}

TEST(AdbE2eTest, PushesArriveByteExact) {
  AdbTestServer adb;
  SimulatedFleet fleet;
  // A port of their own, away from panels other suites run on :5555.
  const std::string old_panel = "127.0.0.220", recent_panel = "127.0.0.221";
  fleet.Add(old_panel).Port(5610).FastTiming();
  fleet.Add(recent_panel).Port(5610).ShellV2().FastTiming();
  fleet.Start();
  for (const std::string& address : {old_panel, recent_panel}) {
    ASSERT_TRUE(adb.Connect(fleet.SerialFor(address)));
    for (size_t size : {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(65537)}) {
      const std::string local = MakeImage(adb.tmpdir() + "/img" + std::to_string(size), "2.0.0", size);
      const ProcessResult pushed =
          adb.Adb({"-s", fleet.SerialFor(address), "push", local, "/tmp/fleet-sync/update.img"});
      ASSERT_EQ(pushed.exit_code, 0) << pushed.output;
      EXPECT_NE(pushed.output.find("1 file pushed"), std::string::npos);
      EXPECT_EQ(Bytes(fleet.FilePath(address, "/tmp/fleet-sync/update.img")), Bytes(local))
          << size << " bytes to " << address;
    }
  }
  const PanelState state = fleet.State(old_panel);
  ASSERT_EQ(state.pushed.size(), 5u);
  EXPECT_EQ(state.pushed[4].size, 65537u);
  EXPECT_EQ(state.commands.back(), "push /tmp/fleet-sync/update.img");
}

}  // namespace
}  // namespace fleetsync_test
