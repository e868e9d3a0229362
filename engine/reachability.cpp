#include "engine/reachability.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

#include "platform/unique_fd.h"

namespace {

enum ProbeCause {
  kReachable = 0,
  kNoSocket = 2,
  kSendTimeout = 3,
  kReceiveTimeout = 4,
  kNonBlocking = 5,
  kBadAddress = 6,
  kNoConnection = 7,
  kRefused = 9,
};

bool SetTimeout(int fd, int option, int milliseconds) {
  timeval tv{};
  tv.tv_sec = milliseconds / 1000;
  tv.tv_usec = (milliseconds % 1000) * 1000;
  return setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

// Waits for the connect to finish, restarting after signals with what is left.
bool WaitWritable(int fd, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) left = std::chrono::milliseconds(0);
    pollfd entry{fd, POLLOUT, 0};
    int ready = poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

}  // namespace

int ProbeReachable(const std::string& address, int port, std::chrono::milliseconds wait) {
  platform::UniqueFd socket_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
  if (!socket_fd.valid()) return kNoSocket;
  const int fd = socket_fd.get();
  if (!SetTimeout(fd, SO_SNDTIMEO, 3000)) return kSendTimeout;
  if (!SetTimeout(fd, SO_RCVTIMEO, 3000)) return kReceiveTimeout;
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return kNonBlocking;

  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1) return kBadAddress;
  if (target.sin_addr.s_addr == htonl(INADDR_BROADCAST) ||
      target.sin_addr.s_addr == htonl(INADDR_ANY)) {
    return kBadAddress;
  }

  if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
    return kReachable;
  }
  if (errno != EINPROGRESS && errno != EINTR) return kRefused;
  if (!WaitWritable(fd, wait)) return kNoConnection;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
    return kRefused;
  }
  return kReachable;
}
