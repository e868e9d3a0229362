// One adb stream as a service sees it. The connection owns both sides; a
// service keeps its StreamOutput pointer only as long as it lives.
// Single-threaded (the simulator's loop thread).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

class StreamOutput {
 public:
  virtual ~StreamOutput() = default;
  // Queues bytes for the host; they leave in WRTE messages no larger than the
  // negotiated payload, one unacknowledged WRTE at a time.
  virtual void Send(std::string_view bytes) = 0;
  // Closes the stream (CLSE) once everything queued was acknowledged.
  virtual void Finish() = 0;
  // Drops the whole TCP connection at once (scripted faults).
  virtual void DropConnection() = 0;
  // Stops acknowledging the host's data on this stream, so the host sends
  // no more on it; other streams go on (scripted faults).
  virtual void Stall() = 0;
  virtual uint32_t MaxPayload() const = 0;
};

class Service {
 public:
  virtual ~Service() = default;
  // Called once, right after the stream was accepted.
  virtual void Start(StreamOutput& output) = 0;
  // Bytes of one WRTE from the host; acknowledged after this returns.
  virtual void OnData(std::string_view bytes, StreamOutput& output) = 0;
  // Everything sent so far was acknowledged: a service that produces output
  // without end sends its next piece here, at the pace the host reads.
  virtual void OnDrained(StreamOutput&) {}
};

}  // namespace sim
