// One simulator process serving a full fleet of panels to one adb server.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace fleetsync_test {
namespace {

using namespace std::chrono_literals;

TEST(ScaleE2eTest, TwoHundredFiftyPanelsAnswerInParallel) {
  AdbTestServer adb;
  SimulatedFleet fleet;
  // A port of their own keeps these panels clear of other tests' panels.
  constexpr uint16_t kPort = 5612;
  std::vector<std::string> serials;
  for (int i = 2; i <= 251; ++i) {
    const std::string address = "127.0.0." + std::to_string(i);
    fleet.Add(address).Port(kPort).Project("P" + std::to_string(i));
    serials.push_back(address + ":" + std::to_string(kPort));
  }
  fleet.Start();
  // Connect first, one by one, as the adb server handles connects serially anyway.
  for (const std::string& serial : serials) ASSERT_TRUE(adb.Connect(serial, 20s)) << serial;

  std::atomic<int> correct{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < 10; ++w) {
    workers.emplace_back([&, w] {
      for (size_t i = size_t(w); i < serials.size(); i += 10) {
        const ProcessResult name = adb.Adb({"-s", serials[i], "shell", "getprop", "ro.app.name"});
        if (name.exit_code == 0 && name.output == "P" + std::to_string(i + 2) + "\r\n") ++correct;
      }
    });
  }
  for (std::thread& t : workers) t.join();
  EXPECT_EQ(correct.load(), 250);
  EXPECT_EQ(fleet.State("127.0.0.251").commands.size(), 1u);
}

}  // namespace
}  // namespace fleetsync_test
