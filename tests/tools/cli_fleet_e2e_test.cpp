// fleetsync-cli against simulated panels and Debian's adb (a server of its own).
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/adb_test_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/simulated_fleet.h"

namespace {

using namespace std::chrono_literals;
using fleetsync_test::PanelState;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
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
  // Several passes, one line in red: only changes are printed.
  const std::string unreachable = "! 无法连接127.0.4.5\n";
  const size_t first = result.output.find(unreachable);
  ASSERT_NE(first, std::string::npos) << result.output;
  EXPECT_EQ(result.output.find(unreachable, first + 1), std::string::npos) << result.output;
}

// The driver's adb commands go over the server's socket: while a panel is
// current (checked every second), one's log hangs (power cut) and another is
// mid-push on a slow link, the driver starts no adb at all; Ctrl-C then ends
// it promptly.
TEST_F(CliFleet, NoAdbProcessRunsAndInterruptEndsPromptly) {
  fleet_.Add("127.0.4.7").FastTiming().PowerCutDuringUpgrade();
  fleet_.Add("127.0.4.8").FastTiming().RateLimit(64 * 1024);
  fleet_.Add("127.0.4.9").Version("1.1.0");
  fleet_.Start();
  Addresses({"127.0.4.7", "127.0.4.8", "127.0.4.9"});
  // Every adb the driver would start (it finds adb on PATH) leaves a line here.
  const std::string log = adb_.tmpdir() + "/adb-runs";
  std::filesystem::create_directory(adb_.tmpdir() + "/bin");
  std::ofstream(adb_.tmpdir() + "/bin/adb") << "#!/bin/sh\necho \"$*\" >> " << log << "\nexec /usr/bin/adb \"$@\"\n";
  std::filesystem::permissions(adb_.tmpdir() + "/bin/adb", std::filesystem::perms::owner_all);
  fleetsync_test::ScopedEnv path("PATH", (adb_.tmpdir() + "/bin:/usr/bin:/bin").c_str());
  auto cli = Cli({});
  ASSERT_TRUE(cli->WaitForOutput("正在升级", 30s)) << cli->OutputSoFar();
  ASSERT_TRUE(fleet_.WaitFor("127.0.4.7", [](const PanelState& s) { return !s.powered; }));
  ASSERT_TRUE(fleet_.WaitFor("127.0.4.9", [](const PanelState& s) {
    return std::count(s.commands.begin(), s.commands.end(), "getprop ro.app.version") >= 3;  // three passes
  }));
  EXPECT_FALSE(std::filesystem::exists(log)) << ReadFile(log);
  // Hundreds of panels need descriptors: the soft limit was raised to the hard one.
  std::ifstream limits("/proc/" + std::to_string(cli->pid()) + "/limits");
  std::string line;
  while (std::getline(limits, line) && line.rfind("Max open files", 0) != 0) {}
  rlimit own{};
  getrlimit(RLIMIT_NOFILE, &own);
  std::istringstream fields(line.substr(std::strlen("Max open files")));
  std::string soft;
  fields >> soft;
  EXPECT_EQ(soft, own.rlim_max == RLIM_INFINITY ? "unlimited" : std::to_string(own.rlim_max)) << line;
  cli->Signal(SIGINT);
  const auto result = cli->Wait(10s);
  EXPECT_EQ(result.exit_code, 130) << result.output;
}

}  // namespace
