// Test helper: a TCP socket on a loopback port chosen by the kernel, either
// listening (connects succeed) or only bound (connects are refused). Port 0
// lets the kernel choose.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

class LoopbackSocket {
 public:
  enum Mode { kListening, kRefusing };

  explicit LoopbackSocket(Mode mode, const char* address = "127.0.0.1", int port = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw std::runtime_error("socket");
    sockaddr_in where{};
    where.sin_family = AF_INET;
    inet_pton(AF_INET, address, &where.sin_addr);
    where.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
      ::close(fd_);
      throw std::runtime_error("bind");
    }
    socklen_t length = sizeof where;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &length);
    port_ = ntohs(where.sin_port);
    if (mode == kListening && listen(fd_, 256) != 0) throw std::runtime_error("listen");
  }
  ~LoopbackSocket() { Close(); }
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  int port() const { return port_; }
  int fd() const { return fd_; }
  // Stops listening: later connects are refused.
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};
