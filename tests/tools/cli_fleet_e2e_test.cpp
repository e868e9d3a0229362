// fleetsync-cli against simulated panels and Debian's adb (a server of its own).
#include <dirent.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/adb_test_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/simulated_fleet.h"

namespace {

using namespace std::chrono_literals;
using fleetsync_test::PanelState;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// adb processes that talk to the server on `port`, other than the server.
std::vector<std::string> AdbClientsOfServer(int port) {
  std::vector<std::string> clients;
  const std::string marker = "ANDROID_ADB_SERVER_PORT=" + std::to_string(port);
  DIR* proc = opendir("/proc");
  while (dirent* entry = readdir(proc)) {
    const std::string pid = entry->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string environment = ReadFile("/proc/" + pid + "/environ");
    std::replace(environment.begin(), environment.end(), '\0', '\n');
    if (environment.find(marker + "\n") == std::string::npos) continue;
    std::string command = ReadFile("/proc/" + pid + "/cmdline");
    const std::string program = command.substr(0, command.find('\0'));
    std::replace(command.begin(), command.end(), '\0', ' ');
    const bool is_adb = program == "adb" || program.ends_with("/adb");
    if (!is_adb || command.find("fork-server") != std::string::npos) continue;
    clients.push_back(pid + ": " + command);
  }
  closedir(proc);
  return clients;
}

class CliFleet : public ::testing::Test {
 protected:
  CliFleet() {
    const std::string folder = adb_.tmpdir();
    image_ = fleetsync_test::MakeImage(folder + "/update.img", "1.1.0", 512 * 1024);
    settings_ = folder + "/settings.ini";
    addresses_ = folder + "/ip.txt";
    std::ofstream(settings_) << "[fleet]\nupdate_file=" << image_
                             << "\nversion=1.1.0\nproject=demo\nforce_update=0\n";
  }

  void Addresses(const std::vector<std::string>& addresses) {
    std::ofstream out(addresses_);
    for (const auto& address : addresses) out << address << "\n";
  }

  std::unique_ptr<fleetsync_test::BackgroundProcess> Cli(std::vector<std::string> extra) {
    std::vector<std::string> argv = {FLEETSYNC_CLI_PATH, "--settings", settings_, "--ips", addresses_};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return std::make_unique<fleetsync_test::BackgroundProcess>(argv);
  }

  fleetsync_test::AdbTestServer adb_;
  fleetsync_test::SimulatedFleet fleet_;
  std::string image_, settings_, addresses_;
  // The driver keeps its record in the data folder of this temporary home.
  fleetsync_test::ScopedEnv data_home_{"XDG_DATA_HOME", adb_.tmpdir().c_str()};
};

TEST_F(CliFleet, OnceUpgradesTheFleetAndConfirmsTheNewVersion) {
  fleet_.Add("127.0.4.2").FastTiming();
  fleet_.Add("127.0.4.3").FastTiming().ShellV2();
  fleet_.Add("127.0.4.4").FastTiming().Version("1.1.0");
  fleet_.Add("127.0.4.5").Refuse();
  fleet_.Start();
  Addresses({"127.0.4.2", "127.0.4.3", "127.0.4.4", "127.0.4.5"});
  auto cli = Cli({"--once", "--timeout", "5", "--summary"});
  const auto result = cli->Wait(90s);
  EXPECT_EQ(result.exit_code, 3) << result.output;  // all done but the panel that never answered
  EXPECT_NE(result.output.find("unreachable               1\n"
                               "current                   1\n"
                               "upgraded                  2\n"
                               "total                     4\n"
                               "not done:\n"
                               "127.0.4.5       unreachable 无法连接127.0.4.5\n"),
            std::string::npos)
      << result.output;
  const std::string history = ReadFile(adb_.tmpdir() + "/Lumora/FleetSync/history.csv");
  EXPECT_NE(history.find(",127.0.4.2,02:00:7f:00:04:02,demo,1.0.0,1.1.0,upgraded,升级结束\n"),
            std::string::npos)
      << history;
  for (const char* address : {"127.0.4.2", "127.0.4.3"}) {
    const PanelState state = fleet_.State(address);
    EXPECT_EQ(state.version, "1.1.0") << address;
    EXPECT_EQ(state.upgrades_done, 1) << address;
  }
  EXPECT_EQ(fleet_.State("127.0.4.4").upgrades_done, 0);
  EXPECT_NE(result.output.find("升级结束"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("正在升级  1.0.0 => 1.1.0  "), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("127.0.4.5       unreachable"), std::string::npos) << result.output;
}

// Ctrl-C while one panel's log hangs (power cut) and another is mid-push on a
// slow link: the driver exits promptly and no adb client of it survives.
TEST_F(CliFleet, InterruptLeavesNoAdbClientBehind) {
  fleet_.Add("127.0.4.7").FastTiming().PowerCutDuringUpgrade();
  fleet_.Add("127.0.4.8").FastTiming().RateLimit(64 * 1024);
  fleet_.Start();
  Addresses({"127.0.4.7", "127.0.4.8"});
  auto cli = Cli({});
  ASSERT_TRUE(cli->WaitForOutput("正在升级", 30s)) << cli->OutputSoFar();
  ASSERT_TRUE(fleet_.WaitFor("127.0.4.7", [](const PanelState& s) { return !s.powered; }));
  EXPECT_FALSE(AdbClientsOfServer(adb_.port()).empty());
  cli->Signal(SIGINT);
  const auto result = cli->Wait(10s);
  EXPECT_EQ(result.exit_code, 130) << result.output;
  EXPECT_EQ(AdbClientsOfServer(adb_.port()), std::vector<std::string>{});
}

}  // namespace
