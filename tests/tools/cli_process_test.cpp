// fleetsync-cli as a process, against a scripted adb: exit codes of --once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/engine/fake_adb.h"
#include "tests/engine/loopback_socket.h"
#include "tests/support/child_process.h"

namespace {

using namespace std::chrono_literals;

// Panels listen on adb's port at 127.0.7.x, an address each test has to itself.
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

  // Runs the driver to its end with `extra` after the usual arguments.
  fleetsync_test::ProcessResult Run(std::vector<std::string> extra) {
    std::vector<std::string> args = {FLEETSYNC_CLI_PATH, "--settings", (folder_ / "settings.ini").string(),
                                     "--ips", (folder_ / "ip.txt").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return fleetsync_test::RunProcess(args, 60s);
  }

  FakeAdb adb_;
  const std::filesystem::path folder_ = adb_.folder();
};

TEST_F(CliProcess, OnceExitsZeroWhenEveryPanelIsCurrentOrSkipped) {
  LoopbackSocket first(LoopbackSocket::kListening, "127.0.7.2", 5555);
  LoopbackSocket second(LoopbackSocket::kListening, "127.0.7.3", 5555);
  WriteAddresses({"127.0.7.2", "127.0.7.3"});
  // A fleet record that cannot be written (its folder is a file): one line on
  // stderr, and the run goes on as before.
  std::ofstream(folder_ / "not-a-folder") << "";
  const auto result = Run({"--once", "--history", (folder_ / "not-a-folder" / "history.csv").string()});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  const std::string& output = result.output;
  EXPECT_NE(output.find("127.0.7.2"), std::string::npos) << output;
  EXPECT_NE(output.find("已经是最新版本：1.1.0"), std::string::npos) << output;
  EXPECT_EQ(output.find("正在连接..."), std::string::npos) << output;
  const std::string failure = "fleet record not written: cannot open " + folder_.string() +
                              "/not-a-folder/history.csv: Not a directory (upgrades go on)\n";
  ASSERT_NE(output.find(failure), std::string::npos) << output;
  EXPECT_EQ(output.find(failure), output.rfind(failure)) << output;
  // The per-pass diagnostic line only when asked for.
  EXPECT_EQ(output.find("EROR/: addr"), std::string::npos) << output;
  setenv("FLEETSYNC_DEBUG", "1", 1);
  const auto diagnosed = Run({"--once"});
  unsetenv("FLEETSYNC_DEBUG");
  EXPECT_EQ(diagnosed.exit_code, 0) << diagnosed.output;
  EXPECT_NE(diagnosed.output.find("EROR/: addr 00:11:22:33:44:55\n"), std::string::npos) << diagnosed.output;
  // Panels skipped by rule count as done.
  adb_.Set("name", "other\n");
  const auto skipped = Run({"--once"});
  EXPECT_EQ(skipped.exit_code, 0) << skipped.output;
  EXPECT_NE(skipped.output.find("项目名不匹配：other"), std::string::npos) << skipped.output;
  EXPECT_NE(skipped.output.find(" skipped\n"), std::string::npos) << skipped.output;
}

TEST_F(CliProcess, OnceGivesUpAFailingPanelAfterItsAttempts) {
  LoopbackSocket panel(LoopbackSocket::kListening, "127.0.7.4", 5555);
  WriteAddresses({"127.0.7.4"});
  adb_.Set("version", "1.0.0\n");
  adb_.Fail("push");
  const auto result = Run({"--once", "--attempts", "2"});
  EXPECT_EQ(result.exit_code, 1) << result.output;
  EXPECT_EQ(result.output.find("升级结束"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("failed"), std::string::npos) << result.output;
}

TEST_F(CliProcess, UsageErrorsExitTwo) {
  EXPECT_EQ(Run({"--bogus"}).exit_code, 2);
  WriteAddresses({});
  auto result = Run({"--once"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.output.find("no panel address"), std::string::npos) << result.output;
  // A configured file adb could not push is found before any panel is touched.
  WriteAddresses({"127.0.0.2"});
  std::ofstream(folder_ / "settings.ini") << "[fleet]\nupdate_file=" << (folder_ / "update.img").string()
                                          << "\nboot_logo=" << folder_.string() << "\nversion=1.1.0\n";
  result = Run({"--once"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.output.find("开机LOGO无法使用：" + folder_.string() + "（不是普通文件）"), std::string::npos)
      << result.output;
  EXPECT_TRUE(adb_.Calls().empty());
}

}  // namespace
