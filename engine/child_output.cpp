#include "engine/child_output.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/text.h"
#include "engine/process.h"
#include "platform/process.h"
#include "platform/tcp_connections.h"

namespace {

using Clock = std::chrono::steady_clock;

// read() that retries when a signal interrupts it.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool IsAscii(std::string_view bytes) {
  unsigned char any_high = 0;
  for (const char c : bytes) any_high |= static_cast<unsigned char>(c);
  return any_high < 0x80;
}

// Most output is ASCII, which decodes to itself without the decoder.
void Decode(std::string_view bytes, std::wstring& text) {
  if (IsAscii(bytes)) {
    text.assign(bytes.begin(), bytes.end());
  } else {
    text = Utf8ToUtf16(bytes);
  }
}

// Where the progress of the child's data is seen (see the header).
class ProgressProbe {
 public:
  ProgressProbe(pid_t pid, const std::string& transport)
      : pid_(pid), last_io_(platform::ProcessIoBytes(pid).value_or(0)) {
    const std::size_t colon = transport.rfind(':');
    if (colon != std::string::npos) {
      peer_address_ = transport.substr(0, colon);
      peer_port_ = std::atoi(transport.c_str() + colon + 1);
    }
  }

  // The child read or wrote since the last look. Counters the system hides
  // tell nothing, so they count as moving: such a push is never cut.
  bool ChildMoved() {
    const std::optional<std::uint64_t> io = platform::ProcessIoBytes(pid_);
    if (io && *io == last_io_) return false;
    last_io_ = io.value_or(0);
    last_queues_.reset();
    return true;
  }

  // The queues of the connection to the panel changed since the last look
  // while the child stood still (the first such look only takes note).
  bool ConnectionMoved() {
    if (peer_address_.empty()) return false;
    const std::optional<std::uint64_t> queues = platform::TcpQueuesFingerprint(peer_address_, peer_port_);
    const bool moved = queues && last_queues_ && *queues != *last_queues_;
    last_queues_ = queues;
    return moved;
  }

 private:
  const pid_t pid_;
  std::string peer_address_;
  int peer_port_ = 0;
  std::uint64_t last_io_;
  std::optional<std::uint64_t> last_queues_;
};

// Judges, at each wake of the read loop, whether the child broke its bound.
class BoundClock {
 public:
  BoundClock(const CommandBound& bound, pid_t pid, const std::string& transport)
      : bound_(bound), started_(Clock::now()), last_move_(started_), last_child_move_(started_),
        last_look_(started_) {
    if (watches_progress()) progress_.emplace(pid, transport);
  }

  // Milliseconds the loop may wait for output before asking Broken() again;
  // -1 when nothing but output can end the command.
  int WaitMs() const {
    Clock::duration wait = Clock::duration::max();
    const auto now = Clock::now();
    if (bound_.deadline.count() > 0) wait = std::max(Clock::duration::zero(), started_ + bound_.deadline - now);
    if (watches_progress()) wait = std::min<Clock::duration>(wait, LookInterval());
    if (wait == Clock::duration::max()) return -1;
    // Rounded up, so a wake never comes just before the moment it waits for.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
  }

  std::optional<CutReason> Broken() {
    const auto now = Clock::now();
    if (bound_.deadline.count() > 0 && now - started_ >= bound_.deadline) return CutReason::kDeadline;
    if (!watches_progress() || now - last_look_ < LookInterval()) return std::nullopt;
    last_look_ = now;
    if (progress_->ChildMoved()) {
      last_move_ = last_child_move_ = now;
      return std::nullopt;
    }
    // The connection table lists every connection of the machine: it is read
    // only once the child has stood still for half the limit (a slow push
    // draining at its end), not while hundreds of pushes merely wait a moment.
    if (now - last_child_move_ >= bound_.stall_limit / 2 && progress_->ConnectionMoved()) {
      last_move_ = now;
      return std::nullopt;
    }
    if (now - last_move_ >= bound_.stall_limit) return CutReason::kStalled;
    return std::nullopt;
  }

 private:
  bool watches_progress() const { return bound_.stall_limit.count() > 0; }
  // A few looks per stall limit, at most one a second.
  Clock::duration LookInterval() const {
    return std::clamp<Clock::duration>(bound_.stall_limit / 4, std::chrono::milliseconds(10),
                                       std::chrono::seconds(1));
  }

  const CommandBound bound_;
  std::optional<ProgressProbe> progress_;  // only while a stall limit applies
  const Clock::time_point started_;
  Clock::time_point last_move_;        // the child or its connection
  Clock::time_point last_child_move_;
  Clock::time_point last_look_;
};

}  // namespace

std::optional<CutReason> ReadChildOutput(Process& process, const CommandBound& bound,
                                         const OutputSink& sink, const std::string& transport) {
  constexpr std::size_t kReadSize = 1024;
  constexpr std::size_t kMaxCarry = 3;  // an unfinished sequence is at most 3 bytes
  char buffer[kMaxCarry + kReadSize];
  std::size_t carried = 0;
  std::size_t total = 0;
  std::wstring text;
  BoundClock clock(bound, process.pid(), transport);
  const auto cut = [&process](CutReason reason) {
    platform::KillProcessGroup(process.pid());
    process.Close();
    return reason;
  };
  for (;;) {
    pollfd watched{process.output_fd(), POLLIN, 0};
    const int ready = poll(&watched, 1, clock.WaitMs());
    if (ready < 0 && errno != EINTR) {
      process.Close();  // nothing more can be read
      return std::nullopt;
    }
    if (ready > 0) {
      const ssize_t n = ReadSome(process.output_fd(), buffer + carried, kReadSize);
      if (n == 0) return std::nullopt;
      if (n < 0) {
        // Closing our ends lets a child blocked on a full pipe fail its
        // write and exit instead of blocking the wait.
        process.Close();
        return std::nullopt;
      }
      total += static_cast<std::size_t>(n);
      const std::size_t size = carried + static_cast<std::size_t>(n);
      const std::size_t complete = CompleteUtf8Prefix(std::string_view(buffer, size));
      Decode(std::string_view(buffer, complete), text);
      if (!text.empty()) sink(text);
      carried = size - complete;
      std::memmove(buffer, buffer + complete, carried);
      if (bound.output_cap > 0 && total > bound.output_cap) return cut(CutReason::kOutputCap);
    }
    if (const std::optional<CutReason> broken = clock.Broken()) return cut(*broken);
  }
}
