// Test helper: a fake adb server on a loopback port of its own, which this
// process's ANDROID_ADB_SERVER_PORT names while it lives (children started
// meanwhile inherit it). It records every command and answers from files in
// its folder, so a test scripts a panel without a real server:
//   name, version, ifconfig, dump, stream   output of getprop ro.app.name,
//                                           getprop ro.app.version, ifconfig,
//                                           "logcat -d", "shell logcat"
//   fail/<word>     any "-s S ..." command containing <word> is refused
//                   ("error: closed", status 1)
//   stream_hangs    "shell logcat" prints the stream file, then never ends
// Panels have no shell_v2 (raw shells). A push is accepted and its bytes
// dropped. Calls read as adb's arguments: "connect S", "-s S shell getprop
// ro.app.name", "-s S logcat -d", "-s S push /tmp/fleet-sync/update.img" (the
// remote path only); a feature request as sent ("host-serial:S:features").
// Construct before any thread starts (it sets the environment); the
// destructor ends every connection and restores it.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/engine/loopback_socket.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

class FakeAdb {
 public:
  FakeAdb() {
    std::filesystem::create_directories(folder_ / "fail");
    setenv("ANDROID_ADB_SERVER_PORT", std::to_string(listener_.port()).c_str(), 1);
    Set("name", "demo\n");
    Set("version", "1.0.0\r\n");
    Set("ifconfig",
        "lo        Link encap:Local Loopback\n"
        "eth0      Link encap:Ethernet  HWaddr 00:11:22:33:44:55\r\n"
        "          inet addr:10.0.0.5\n");
    acceptor_ = std::thread([this] { Accept(); });
  }
  FakeAdb(const FakeAdb&) = delete;
  FakeAdb& operator=(const FakeAdb&) = delete;
  ~FakeAdb() {
    StopListening();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const int fd : open_) shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& connection : connections_) connection.join();
  }

  // The port then refuses, as when no server runs.
  void StopListening() {
    if (!acceptor_.joinable()) return;
    shutdown(listener_.fd(), SHUT_RDWR);
    acceptor_.join();
    listener_.Close();
  }
  // Connections the clients have not closed yet.
  size_t OpenConnections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_.size();
  }
  void Set(const std::string& file, const std::string& content) {
    std::ofstream(folder_ / file, std::ios::trunc) << content;
  }
  void Fail(const std::string& word) { Set("fail/" + word, ""); }
  void Heal(const std::string& word) { std::filesystem::remove(folder_ / "fail" / word); }
  void HangStream() { Set("stream_hangs", ""); }

  std::vector<std::string> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  std::string CallsText() const {
    std::ostringstream text;
    for (const std::string& call : Calls()) text << call << "\n";
    return text.str();
  }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  void Accept() {
    for (int fd; (fd = accept4(listener_.fd(), nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
      std::lock_guard<std::mutex> lock(mutex_);
      open_.push_back(fd);
      connections_.emplace_back([this, fd] {
        Serve(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        open_.erase(std::find(open_.begin(), open_.end(), fd));
        close(fd);
      });
    }
  }

  static bool ReadAll(int fd, char* buffer, size_t size) {
    for (ssize_t n; size > 0; buffer += n, size -= size_t(n))
      if ((n = recv(fd, buffer, size, 0)) <= 0) return false;
    return true;
  }
  static std::string Request(int fd) {
    char length[5] = {};
    if (!ReadAll(fd, length, 4)) return {};
    std::string service(std::stoul(length, nullptr, 16), '\0');
    return ReadAll(fd, service.data(), service.size()) ? service : std::string();
  }
  static void Send(int fd, const std::string& bytes) { send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  static std::string Text(const std::string& text) {
    char length[5];
    std::snprintf(length, sizeof(length), "%04zx", text.size());
    return length + text;
  }
  std::string File(const std::string& name) const {
    std::ifstream in(folder_ / name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Failing(const std::string& command) const {
    for (const auto& entry : std::filesystem::directory_iterator(folder_ / "fail"))
      if (command.find(entry.path().filename().string()) != std::string::npos) return true;
    return false;
  }
  void Record(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
  }
  void Serve(int fd) {
    std::string service = Request(fd);
    for (const std::string verb : {"connect", "disconnect"}) {
      if (service.rfind("host:" + verb + ":", 0) != 0) continue;
      const std::string target = service.substr(verb.size() + 6);
      Record(verb + " " + target);
      return Send(fd, "OKAY" + Text((verb == "connect" ? "connected to " : "disconnected ") + target));
    }
    if (service.find(":features") != std::string::npos) {
      Record(service);
      return Send(fd, "OKAY" + Text(""));
    }
    const std::string tport = "host:tport:serial:";
    if (service.rfind(tport, 0) != 0) return Send(fd, "FAIL" + Text("unknown service"));
    const std::string serial = service.substr(tport.size());
    Send(fd, "OKAY" + std::string(8, '\0'));
    service = Request(fd);
    if (service.empty()) return;  // the client went away
    if (service == "sync:") {
      Send(fd, "OKAY");
      return Push(fd, serial);
    }
    const std::string logcat = "shell:export ANDROID_LOG_TAGS=\"''\"; exec logcat '-d'";
    const std::string words =
        service == logcat ? "logcat -d" : "shell " + service.substr(std::string("shell:").size());
    Record("-s " + serial + " " + words);
    if (Failing(words)) return Send(fd, "FAIL" + Text("closed"));
    Send(fd, "OKAY");
    if (words == "shell getprop ro.app.name") Send(fd, File("name"));
    else if (words == "shell getprop ro.app.version") Send(fd, File("version"));
    else if (words == "shell ifconfig") Send(fd, File("ifconfig"));
    else if (words == "logcat -d") Send(fd, File("dump"));
    else if (words == "shell logcat") {
      Send(fd, File("stream"));
      char byte;  // a hanging stream is silent until the client goes away or the server stops
      while (std::filesystem::exists(folder_ / "stream_hangs") && recv(fd, &byte, 1, 0) > 0) {
      }
    }
  }

  // STAT, SEND path,mode, DATA..., DONE: the bytes are dropped.
  void Push(int fd, const std::string& serial) {
    bool refuse = false;
    for (char header[8]; ReadAll(fd, header, 8);) {
      const std::string id(header, 4);
      uint32_t length = 0;
      for (int i = 7; i >= 4; --i) length = (length << 8) | uint8_t(header[i]);
      if (id == "QUIT") return;
      if (id == "DONE") {
        Send(fd, refuse ? "FAIL" + std::string{6, 0, 0, 0} + "closed" : "OKAY" + std::string(4, '\0'));
        continue;
      }
      std::string payload(length, '\0');
      if (!ReadAll(fd, payload.data(), length)) return;
      if (id == "STAT") Send(fd, "STAT" + std::string(12, '\0'));
      if (id != "SEND") continue;
      const std::string call = "-s " + serial + " push " + payload.substr(0, payload.rfind(','));
      Record(call);
      refuse = Failing(call);
    }
  }

  fleetsync_test::ScopedEnv port_variable_{"ANDROID_ADB_SERVER_PORT"};
  fleetsync_test::TempFolder temp_{"fake-adb"};
  const std::filesystem::path folder_ = temp_.path();
  LoopbackSocket listener_{LoopbackSocket::kListening};
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::vector<int> open_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};
