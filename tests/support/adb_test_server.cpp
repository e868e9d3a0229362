#include "tests/support/adb_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace fleetsync_test {
namespace {

std::string MakeTempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/fleetsync-adb-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace

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
  root_ = MakeTempFolder();
  home_ = root_ + "/home";
  tmpdir_ = root_ + "/tmp";
  std::filesystem::create_directories(home_);
  std::filesystem::create_directories(tmpdir_);
  port_ = FreeLoopbackPort();
  const std::map<std::string, std::string> environment = {
      {"ANDROID_ADB_SERVER_PORT", std::to_string(port_)},
      {"HOME", home_},
      {"TMPDIR", tmpdir_},
      {"ADB_EMU", "0"},
      {"ADB_MDNS", "0"},
      {"ADB_USB", "0"},
  };
  for (const auto& [name, value] : environment) {
    const char* old = std::getenv(name.c_str());
    saved_environment_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    setenv(name.c_str(), value.c_str(), 1);
  }
  const ProcessResult started = Adb({"start-server"}, std::chrono::seconds(30));
  if (started.exit_code != 0) {
    const std::string output = started.output;
    port_ = 0;  // nothing to kill
    Restore();
    throw std::runtime_error("adb start-server failed: " + output);
  }
}

AdbTestServer::~AdbTestServer() {
  if (port_ != 0) Adb({"kill-server"}, std::chrono::seconds(15));
  Restore();
}

void AdbTestServer::Restore() {
  for (const auto& [name, value] : saved_environment_) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
  }
  saved_environment_.clear();
  std::error_code error;
  if (!root_.empty()) std::filesystem::remove_all(root_, error);
  root_.clear();
}

ProcessResult AdbTestServer::Adb(const std::vector<std::string>& args,
                                 std::chrono::milliseconds timeout) const {
  std::vector<std::string> argv = {"adb"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, timeout);
}

std::unique_ptr<BackgroundProcess> AdbTestServer::AdbInBackground(
    const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {"adb"};
  argv.insert(argv.end(), args.begin(), args.end());
  return std::make_unique<BackgroundProcess>(argv);
}

bool AdbTestServer::Connect(const std::string& serial, std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const ProcessResult result = Adb({"connect", serial}, std::chrono::seconds(20));
    if (result.output.find("connected to") != std::string::npos &&
        result.output.find("failed") == std::string::npos)
      return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

}  // namespace fleetsync_test
