// The byte stream the adb protocols are spoken over: a connection to the adb
// server in the program, a buffer of scripted bytes in the fuzzers.
//
// One thread uses a stream at a time. Neither call throws for a lost peer;
// an implementation may throw to abandon the whole operation (a connection
// that was cancelled or broke its time bound does).
#pragma once

#include <cstddef>
#include <string_view>

namespace adb {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Sends every byte; false when the peer is gone.
  virtual bool Write(std::string_view bytes) = 0;
  // Up to `size` bytes into `buffer`, waiting for at least one; 0 at the end
  // of the stream (also when the peer is gone).
  virtual std::size_t ReadSome(char* buffer, std::size_t size) = 0;
};

// Reads exactly `size` bytes; false when the stream ends first.
bool ReadExact(ByteStream& stream, char* buffer, std::size_t size);

}  // namespace adb
