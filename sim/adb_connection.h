// The device side of one adb TCP transport: CNXN handshake (no AUTH), then
// streams opened by the host (OPEN/OKAY/WRTE/CLSE) with one WRTE in flight
// per stream. The host's WRTE payloads are handed to the service piece by
// piece as they arrive and acknowledged at once, so a connection holds no
// payload of its own (memory per connection stays small). Anything malformed (bad magic, oversized payload, unknown
// command, OPEN before CNXN) closes the connection; unknown services are
// refused with CLSE.
//
// Single-threaded: lives on the simulator's loop. Shutdown() closes the socket
// at once but the object (and its services) is destroyed later by its host
// through ConnectionHost::OnConnectionClosed, so it is safe to call from
// inside any of its own callbacks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/unique_fd.h"
#include "sim/event_loop.h"
#include "sim/rate_limiter.h"
#include "sim/stream.h"

namespace sim {

class ConnectionHost {
 public:
  virtual ~ConnectionHost() = default;
  virtual std::string Banner() const = 0;
  virtual uint32_t OwnMaxPayload() const = 0;
  virtual bool AnswersHandshake() const = 0;  // false: accept TCP, stay silent
  virtual int64_t RateLimit() const = 0;
  // A service for `name`, or null to refuse the stream.
  virtual std::unique_ptr<Service> OpenService(const std::string& name) = 0;
  // The socket is closed; destroy the connection (not from inside this call).
  virtual void OnConnectionClosed(uint64_t connection_id) = 0;
};

class AdbConnection {
 public:
  AdbConnection(EventLoop& loop, platform::UniqueFd socket, ConnectionHost& host, uint64_t id);
  AdbConnection(const AdbConnection&) = delete;
  AdbConnection& operator=(const AdbConnection&) = delete;
  ~AdbConnection();

  // Closes the socket (the host sees the connection end) and reports it.
  void Shutdown();
  // Power cut: stops reading and writing but keeps the socket open, so the
  // host notices nothing.
  void Freeze();
  bool closed() const { return closed_; }

 private:
  class Stream;

  void OnEvents(uint32_t events);
  void ReadAvailable();
  void Consume(std::string_view data);
  void HandleMessage(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload);
  void HandleOpen(uint32_t remote_id, std::string_view payload);
  void Queue(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload = {});
  void FlushOutput();
  void UpdateInterest();
  void ResumeLater();
  void SweepFinishedStreams();

  EventLoop& loop_;
  platform::UniqueFd socket_;
  ConnectionHost& host_;
  const uint64_t id_;
  bool closed_ = false;
  bool frozen_ = false;
  bool connected_ = false;  // CNXN exchanged
  uint32_t max_payload_;
  std::string message_;             // header (and small payload) being assembled
  uint32_t payload_remaining_ = 0;  // WRTE payload bytes still to pass on
  uint32_t payload_stream_ = 0;     // ... to this stream (0: discard)
  std::string output_;
  size_t output_sent_ = 0;
  RateLimiter read_limit_;
  RateLimiter write_limit_;
  bool throttled_ = false;
  EventLoop::TimerId resume_timer_ = 0;
  uint32_t next_stream_id_ = 1;
  std::map<uint32_t, std::unique_ptr<Stream>> streams_;  // by our id
};

}  // namespace sim
