// fleetsync-cli as a process, against a scripted adb: exit codes of --once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "tests/engine/fake_adb.h"
#include "tests/engine/loopback_socket.h"
#include "tests/support/child_process.h"

namespace {

using namespace std::chrono_literals;

// A panel's listening adb port on a loopback address of its own, away from
// 127.0.0.x where simulated panels live.
class PanelPort {
 public:
  PanelPort() {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 50 && !socket_; ++attempt) {
      address_ = "127." + std::to_string(100 + random() % 100) + "." +
                 std::to_string(random() % 250) + "." + std::to_string(2 + random() % 250);
      try {
        socket_ = std::make_unique<LoopbackSocket>(LoopbackSocket::kListening, address_.c_str(), 5555);
      } catch (const std::exception&) {
      }
    }
    if (!socket_) throw std::runtime_error("no free loopback address");
  }
  const std::string& address() const { return address_; }

 private:
  std::string address_;
  std::unique_ptr<LoopbackSocket> socket_;
};

class CliProcess : public ::testing::Test {
 protected:
  CliProcess() {
    for (const char* name : {"HOME", "TMPDIR", "XDG_DATA_HOME"}) setenv(name, folder_.c_str(), 1);
    for (const char* name : {"ADB_EMU", "ADB_MDNS", "ADB_USB"}) setenv(name, "0", 1);
    std::ofstream(folder_ / "update.img") << "image";
    std::ofstream(folder_ / "settings.ini") << "[fleet]\nupdate_file=" << (folder_ / "update.img").string()
                                            << "\nboot_logo=\nversion=1.1.0\nproject=demo\nforce_update=0\n";
    adb_.Set("version", "1.1.0\n");
  }

  void WriteAddresses(const std::vector<std::string>& addresses) {
    std::ofstream out(folder_ / "ip.txt");
    for (const auto& address : addresses) out << address << "\n";
  }

  void Start(std::vector<std::string> extra) {
    std::vector<std::string> args = {FLEETSYNC_CLI_PATH, "--settings", (folder_ / "settings.ini").string(),
                                     "--ips", (folder_ / "ip.txt").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    cli_.reset();  // a driver still running from an earlier start is killed
    cli_ = std::make_unique<fleetsync_test::BackgroundProcess>(args);
  }
  // The exit status, or -1 when the driver did not end within `limit`.
  int Wait(std::chrono::seconds limit) {
    const fleetsync_test::ProcessResult result = cli_->Wait(limit);
    output_ = result.output;
    return result.timed_out ? -1 : result.exit_code;
  }
  const std::string& Output() const { return output_; }

  FakeAdb adb_;
  const std::filesystem::path folder_ = adb_.folder();
  std::unique_ptr<fleetsync_test::BackgroundProcess> cli_;
  std::string output_;
};

TEST_F(CliProcess, OnceExitsZeroWhenEveryPanelIsCurrentOrSkipped) {
  PanelPort first, second;
  WriteAddresses({first.address(), second.address()});
  // A fleet record that cannot be written (its folder is a file): one line on
  // stderr, and the run goes on as before.
  std::ofstream(folder_ / "not-a-folder") << "";
  Start({"--once", "--history", (folder_ / "not-a-folder" / "history.csv").string()});
  EXPECT_EQ(Wait(60s), 0) << Output();
  const std::string output = Output();
  EXPECT_NE(output.find(first.address()), std::string::npos) << output;
  EXPECT_NE(output.find("已经是最新版本：1.1.0"), std::string::npos) << output;
  EXPECT_EQ(output.find("正在连接..."), std::string::npos) << output;
  const std::string failure = "fleet record not written: cannot open " + folder_.string() +
                              "/not-a-folder/history.csv: Not a directory (upgrades go on)\n";
  ASSERT_NE(output.find(failure), std::string::npos) << output;
  EXPECT_EQ(output.find(failure), output.rfind(failure)) << output;
  // The per-pass diagnostic line only when asked for.
  EXPECT_EQ(output.find("EROR/: addr"), std::string::npos) << output;
  setenv("FLEETSYNC_DEBUG", "1", 1);
  Start({"--once"});
  EXPECT_EQ(Wait(60s), 0) << Output();
  unsetenv("FLEETSYNC_DEBUG");
  EXPECT_NE(Output().find("EROR/: addr 00:11:22:33:44:55\n"), std::string::npos) << Output();
  // Panels skipped by rule count as done.
  adb_.Set("name", "other\n");
  Start({"--once"});
  EXPECT_EQ(Wait(60s), 0) << Output();
  EXPECT_NE(Output().find("项目名不匹配：other"), std::string::npos) << Output();
  EXPECT_NE(Output().find(" skipped\n"), std::string::npos) << Output();
}

TEST_F(CliProcess, OnceGivesUpAFailingPanelAfterItsAttempts) {
  PanelPort panel;
  WriteAddresses({panel.address()});
  adb_.Set("version", "1.0.0\n");
  adb_.Fail("push");
  Start({"--once", "--attempts", "2"});
  EXPECT_EQ(Wait(60s), 1) << Output();
  const std::string output = Output();
  EXPECT_EQ(output.find("升级结束"), std::string::npos) << output;
  EXPECT_NE(output.find("failed"), std::string::npos) << output;
}

TEST_F(CliProcess, UsageErrorsExitTwo) {
  Start({"--bogus"});
  EXPECT_EQ(Wait(30s), 2);
  WriteAddresses({});
  Start({"--once"});
  EXPECT_EQ(Wait(30s), 2);
  EXPECT_NE(Output().find("no panel address"), std::string::npos) << Output();
  // A configured file adb could not push is found before any panel is touched.
  WriteAddresses({"127.0.0.2"});
  std::ofstream(folder_ / "settings.ini") << "[fleet]\nupdate_file=" << (folder_ / "update.img").string()
                                          << "\nboot_logo=" << folder_.string() << "\nversion=1.1.0\n";
  Start({"--once"});
  EXPECT_EQ(Wait(30s), 2);
  EXPECT_NE(Output().find("开机LOGO无法使用：" + folder_.string() + "（不是普通文件）"), std::string::npos)
      << Output();
  EXPECT_TRUE(adb_.Calls().empty());
}

}  // namespace
