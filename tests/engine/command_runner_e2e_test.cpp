#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "engine/child_registry.h"
#include "engine/command_runner.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace std::chrono_literals;

// Debian's adb with a server of this test's own: own port, HOME and TMPDIR,
// no emulator, mDNS or USB probing.
class RealAdbServer : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = fleetsync_test::FreeLoopbackPort();  // not one another test's server may hold
    const std::pair<const char*, std::string> environment[] = {
        {"ANDROID_ADB_SERVER_PORT", std::to_string(port_)}, {"HOME", folder_.path()}, {"TMPDIR", folder_.path()},
        {"ADB_EMU", "0"}, {"ADB_MDNS", "0"}, {"ADB_USB", "0"}, {"PATH", "/usr/bin:/bin"}};
    for (const auto& [name, value] : environment) setenv(name, value.c_str(), 1);
  }
  void TearDown() override { RunCommand(L"adb kill-server"); }

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

  fleetsync_test::TempFolder folder_{"fleetsync-adb"};
  int port_ = 0;
};

// The server a start forks does not keep the capture pipe open (the start
// returns) and is not one of this program's children afterwards: ending
// them, as a stop does, leaves it running.
TEST_F(RealAdbServer, StartedServerOutlivesEndingOurChildren) {
  EXPECT_EQ(StartAdbServer(30s).exit_code, 0);
  EXPECT_TRUE(ServerListens());
  EndAllChildren();
  EXPECT_TRUE(ServerListens());
}

}  // namespace
