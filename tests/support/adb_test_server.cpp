#include "tests/support/adb_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "tests/support/wait_until.h"

namespace fleetsync_test {

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  if (port == 0) throw std::runtime_error("no free loopback port");
  return port;
}

AdbTestServer::AdbTestServer() {
  std::filesystem::create_directories(home_);
  std::filesystem::create_directories(tmpdir_);
  const int port = FreeLoopbackPort();
  const std::pair<const char*, std::string> environment[] = {
      {"ANDROID_ADB_SERVER_PORT", std::to_string(port)}, {"HOME", home_}, {"TMPDIR", tmpdir_},
      {"ADB_EMU", "0"}, {"ADB_MDNS", "0"}, {"ADB_USB", "0"},
  };
  for (const auto& [name, value] : environment)
    environment_.push_back(std::make_unique<ScopedEnv>(name, value.c_str()));
  // Members already made restore the environment and remove the folders if
  // this throws.
  const ProcessResult started = Adb({"start-server"}, std::chrono::seconds(30));
  if (started.exit_code != 0) throw std::runtime_error("adb start-server failed: " + started.output);
  port_ = port;
}

AdbTestServer::~AdbTestServer() { Adb({"kill-server"}, std::chrono::seconds(15)); }

ProcessResult AdbTestServer::Adb(const std::vector<std::string>& args,
                                 std::chrono::milliseconds timeout) const {
  return AdbInBackground(args)->Wait(timeout);
}

std::unique_ptr<BackgroundProcess> AdbTestServer::AdbInBackground(
    const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {"adb"};
  argv.insert(argv.end(), args.begin(), args.end());
  return std::make_unique<BackgroundProcess>(argv);
}

bool AdbTestServer::Connect(const std::string& serial, std::chrono::milliseconds timeout) const {
  return WaitUntil([&] {
    const std::string said = Adb({"connect", serial}, std::chrono::seconds(20)).output;
    return said.find("connected to") != std::string::npos && said.find("failed") == std::string::npos;
  }, timeout, std::chrono::milliseconds(200));
}

}  // namespace fleetsync_test
