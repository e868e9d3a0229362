// The framed shell stream of panels that offer "shell_v2".
//
// Each packet is an id byte, a little-endian 32-bit length and that many
// bytes. Standard output and standard error come as packets of their own; the
// command's exit status comes as a one-byte "exit" packet. Raw shells (no
// shell_v2) send bare output instead and no status.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace adb {

// The packet the client sends once it has no input for the command.
std::string CloseStdinPacket();

// Splits a shell_v2 stream, fed in pieces of any size, into the command's
// output and its exit status. A packet's payload is passed on as it arrives,
// so a packet of any announced length costs no memory.
class ShellPacketReader {
 public:
  using OutputSink = std::function<void(std::string_view bytes)>;

  explicit ShellPacketReader(OutputSink output) : output_(std::move(output)) {}

  // Takes the next bytes of the stream; returns how many it used. It stops
  // using bytes once the exit packet is complete.
  std::size_t Feed(std::string_view bytes);
  std::optional<int> exit_status() const { return exit_status_; }

 private:
  OutputSink output_;
  char header_[5] = {};
  std::size_t header_size_ = 0;
  std::uint8_t id_ = 0;
  std::uint32_t remaining_ = 0;  // payload bytes of the current packet still due
  int status_byte_ = -1;  // the exit packet's first payload byte, once read
  std::optional<int> exit_status_;
};

}  // namespace adb
