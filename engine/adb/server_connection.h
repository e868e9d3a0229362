// A connection to the adb server on 127.0.0.1, bounded and cancellable.
//
// Every wait of an operation (connecting, reading, writing) is limited by the
// operation's OperationTimer: its deadline for the whole operation and its
// stall limit since bytes last moved. Bytes move when a call sends or
// receives some, and also while what was sent leaves the socket's queue or
// the server's connection to the panel: the server takes a push's data only
// as fast as the panel does, a panel's packet at a time, so a slow push
// fills the queues and drains them long after the last send. An expired
// bound, or a cancelled group, throws OperationCut out of the call; the
// operation catches it at its top.
//
// One thread uses a connection (and its timer) at a time; only the group's
// Cancel comes from elsewhere.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "engine/adb/byte_stream.h"
#include "engine/command_limits.h"
#include "platform/unique_fd.h"

namespace adb {

class CancelGroup;

// Why an operation was ended before it finished.
struct OperationCut {
  CutReason reason;
};

class OperationTimer {
 public:
  explicit OperationTimer(const CommandBound& bound);
  // Bytes moved: the stall limit counts from now.
  void Progress() { last_progress_ = std::chrono::steady_clock::now(); }
  // A value that changes while data moves elsewhere; looked at with the send
  // queue (see Look).
  void Watch(std::function<std::optional<std::uint64_t>()> moving) { watched_ = std::move(moving); }
  // For a wait that found nothing to do: progress when the send queue (its
  // length in bytes) changed since the last look, or, once nothing has moved
  // for half the stall limit, the watched value.
  void Look(std::uint64_t send_queue);
  // Milliseconds a wait may take now (-1: no bound); throws OperationCut when
  // a bound has passed. With a stall limit, never more than a few looks per
  // limit, so that a wait can look whether queued bytes moved.
  int WaitLimit() const;
  bool watches_stall() const { return bound_.stall_limit.count() > 0; }

 private:
  const CommandBound bound_;
  const std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_progress_;
  std::function<std::optional<std::uint64_t>()> watched_;
  std::uint64_t last_send_queue_ = 0;
  std::optional<std::uint64_t> last_watched_;
};

class ServerConnection final : public ByteStream {
 public:
  // Connects to 127.0.0.1:`port`. Null with `error` (an errno value) when the
  // server cannot be reached; ECONNREFUSED when nothing listens.
  static std::unique_ptr<ServerConnection> Open(int port, OperationTimer& timer,
                                                CancelGroup* group, int& error);
  ~ServerConnection() override;
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  bool Write(std::string_view bytes) override;
  std::size_t ReadSome(char* buffer, std::size_t size) override;

 private:
  ServerConnection(platform::UniqueFd socket, OperationTimer& timer, CancelGroup* group);
  // Waits until the socket is ready for `events`; throws OperationCut.
  void WaitFor(short events);
  // After the peer went away: a cancelled group is the reason.
  void ThrowIfCancelled() const;

  platform::UniqueFd socket_;
  OperationTimer& timer_;
  CancelGroup* group_;
};

}  // namespace adb
