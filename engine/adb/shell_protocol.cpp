#include "engine/adb/shell_protocol.h"

#include <algorithm>

namespace adb {

namespace {

enum PacketId : std::uint8_t { kStdout = 1, kStderr = 2, kExit = 3, kCloseStdin = 4 };

}  // namespace

std::string CloseStdinPacket() { return std::string{char(kCloseStdin), 0, 0, 0, 0}; }

std::size_t ShellPacketReader::Feed(std::string_view bytes) {
  std::size_t used = 0;
  while (used < bytes.size() && !exit_status_) {
    if (header_size_ < sizeof(header_)) {
      header_[header_size_++] = bytes[used++];
      if (header_size_ < sizeof(header_)) continue;
      id_ = static_cast<std::uint8_t>(header_[0]);
      remaining_ = 0;
      for (int i = 4; i >= 1; --i) remaining_ = (remaining_ << 8) | static_cast<std::uint8_t>(header_[i]);
      status_byte_ = -1;
    } else {
      const std::size_t take = std::min<std::size_t>(remaining_, bytes.size() - used);
      const std::string_view payload = bytes.substr(used, take);
      if (id_ == kStdout || id_ == kStderr) {
        output_(payload);
      } else if (id_ == kExit && status_byte_ < 0 && take > 0) {
        status_byte_ = static_cast<std::uint8_t>(payload[0]);
      }
      used += take;
      remaining_ -= static_cast<std::uint32_t>(take);
    }
    if (header_size_ == sizeof(header_) && remaining_ == 0) {
      // The packet is complete (packets of length 0 end with their header).
      if (id_ == kExit) exit_status_ = status_byte_ < 0 ? 0 : status_byte_;
      header_size_ = 0;
    }
  }
  return used;
}

}  // namespace adb
