#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "engine/command_runner.h"

namespace {

// Debian's adb with a server of this test's own: own port, HOME and TMPDIR,
// no emulator, mDNS or USB probing.
class RealAdbServer : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/fleetsync-adb-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    port_ = 20000 + getpid() % 20000;
    setenv("ANDROID_ADB_SERVER_PORT", std::to_string(port_).c_str(), 1);
    setenv("HOME", folder_.c_str(), 1);
    setenv("TMPDIR", folder_.c_str(), 1);
    setenv("ADB_EMU", "0", 1);
    setenv("ADB_MDNS", "0", 1);
    setenv("ADB_USB", "0", 1);
    setenv("PATH", "/usr/bin:/bin", 1);
  }
  void TearDown() override {
    StopAdbServer();
    std::filesystem::remove_all(folder_);
  }

  bool ServerListens() const {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool listening = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return listening;
  }

  std::string folder_;
  int port_ = 0;
};

TEST_F(RealAdbServer, FirstCommandStartsTheServerAndStillReturns) {
  // The server the first client forks must not keep the capture pipe open.
  const CommandResult result = RunAdbStrict({L"devices"});
  EXPECT_NE(result.output.find(L"List of devices attached"), std::wstring::npos);
  EXPECT_TRUE(ServerListens());
}

TEST_F(RealAdbServer, StartAndStopServerOnTheChosenPort) {
  EXPECT_EQ(StartAdbServer().exit_code, 0);
  EXPECT_TRUE(ServerListens());
  EXPECT_EQ(StopAdbServer().exit_code, 0);
  bool stopped = false;
  for (int i = 0; i < 200 && !stopped; ++i) {
    stopped = !ServerListens();
    if (!stopped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(stopped);
}

}  // namespace
