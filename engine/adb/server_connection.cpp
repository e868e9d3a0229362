#include "engine/adb/server_connection.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "engine/adb/cancel_group.h"

namespace adb {

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsLeft(Clock::time_point end) {
  return std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
}

}  // namespace

OperationTimer::OperationTimer(const CommandBound& bound)
    : bound_(bound), start_(Clock::now()), last_progress_(start_) {}

int OperationTimer::WaitLimit() const {
  long long limit = -1;
  if (bound_.deadline.count() > 0) {
    limit = MillisecondsLeft(start_ + bound_.deadline);
    if (limit <= 0) throw OperationCut{CutReason::kDeadline};
  }
  if (bound_.stall_limit.count() > 0) {
    const long long stall = MillisecondsLeft(last_progress_ + bound_.stall_limit);
    if (stall <= 0) throw OperationCut{CutReason::kStalled};
    const long long look = std::clamp<long long>(bound_.stall_limit.count() / 4, 10, 1000);
    limit = std::min({limit < 0 ? stall : limit, stall, look});
  }
  return static_cast<int>(std::min<long long>(limit, INT_MAX));
}

void OperationTimer::Look(std::uint64_t send_queue) {
  if (send_queue != last_send_queue_) {
    last_send_queue_ = send_queue;
    Progress();
    return;
  }
  // The watched value may be costly (the connection table lists every
  // connection of the machine): it is looked at only once nothing else has
  // moved for half the limit, not while hundreds of pushes merely wait a
  // moment. Its first look only takes note.
  if (!watched_ || std::chrono::steady_clock::now() - last_progress_ < bound_.stall_limit / 2) return;
  const std::optional<std::uint64_t> watched = watched_();
  const bool moved = watched && last_watched_ && *watched != *last_watched_;
  last_watched_ = watched;
  if (moved) Progress();
}

std::unique_ptr<ServerConnection> ServerConnection::Open(int port, OperationTimer& timer,
                                                         CancelGroup* group, int& error) {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.valid()) {
    error = errno;
    return nullptr;
  }
  // Requests are small and each waits for its answer: send them at once.
  const int on = 1;
  ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
  std::unique_ptr<ServerConnection> connection(new ServerConnection(std::move(fd), timer, group));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int socket_fd = connection->socket_.get();
  if (::connect(socket_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    if (errno != EINPROGRESS) {
      error = errno;
      return nullptr;
    }
    connection->WaitFor(POLLOUT);
    socklen_t length = sizeof(error);
    if (::getsockopt(socket_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error != 0) {
      connection->ThrowIfCancelled();
      return nullptr;
    }
  }
  error = 0;
  return connection;
}

ServerConnection::ServerConnection(platform::UniqueFd socket, OperationTimer& timer,
                                   CancelGroup* group)
    : socket_(std::move(socket)), timer_(timer), group_(group) {
  if (group_ && !group_->Join(socket_.get())) {
    group_ = nullptr;
    throw OperationCut{CutReason::kCancelled};
  }
}

ServerConnection::~ServerConnection() {
  if (group_) group_->Leave(socket_.get());
}

void ServerConnection::ThrowIfCancelled() const {
  if (group_ && group_->IsCancelled()) throw OperationCut{CutReason::kCancelled};
}

void ServerConnection::WaitFor(short events) {
  for (;;) {
    ThrowIfCancelled();
    pollfd entry{socket_.get(), events, 0};
    const int ready = ::poll(&entry, 1, timer_.WaitLimit());
    if (ready > 0) return;  // ready, or an error the next call reports
    if (ready < 0 && errno != EINTR) return;
    int queued = 0;
    if (ready == 0 && timer_.watches_stall() && ::ioctl(socket_.get(), SIOCOUTQ, &queued) == 0)
      timer_.Look(static_cast<std::uint64_t>(queued));
  }
}

bool ServerConnection::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      timer_.Progress();
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitFor(POLLOUT);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      ThrowIfCancelled();
      return false;
    }
  }
  return true;
}

std::size_t ServerConnection::ReadSome(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::recv(socket_.get(), buffer, size, 0);
    if (n > 0) {
      timer_.Progress();
      return static_cast<std::size_t>(n);
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WaitFor(POLLIN);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      ThrowIfCancelled();
      return 0;
    }
  }
}

}  // namespace adb
