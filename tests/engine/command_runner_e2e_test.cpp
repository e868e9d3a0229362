#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "base/text.h"
#include "engine/child_group.h"
#include "engine/command_runner.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

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
  void TearDown() override { RunAdb({L"kill-server"}); }

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

// The server the first client forks must not keep the capture pipe open, and
// once it has started (it leaves the client's process group before it says
// so) cancelling that client's group must not end it.
TEST_F(RealAdbServer, ServerStartedByACommandOutlivesItsCancelledGroup) {
  ChildGroup group;
  std::atomic<bool> started{false};
  std::thread waiting([&] {
    try {
      RunAdb({L"wait-for-device"}, &group, {}, [&started](std::wstring_view text) {
        if (text.find(L"daemon started successfully") != std::wstring_view::npos) started = true;
      });
    } catch (const CommandInterrupted&) {
    }
  });
  EXPECT_TRUE(fleetsync_test::WaitUntil([&] { return started.load(); }, 30s));
  group.Cancel();
  waiting.join();
  EXPECT_TRUE(ServerListens());
  const CommandResult result = RunAdbStrict({L"devices"});
  EXPECT_NE(result.output.find(L"List of devices attached"), std::wstring::npos);
  EXPECT_EQ(result.output.find(L"daemon not running"), std::wstring::npos) << Utf16ToUtf8(result.output);
}

}  // namespace
