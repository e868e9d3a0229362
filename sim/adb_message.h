// The adb transport's message format: a 24-byte little-endian header
// (command, arg0, arg1, payload length, payload checksum, magic = ~command)
// followed by the payload. Pure functions, no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

constexpr uint32_t MakeCommand(const char (&name)[5]) {
  return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
         uint32_t(uint8_t(name[2])) << 16 | uint32_t(uint8_t(name[3])) << 24;
}

constexpr uint32_t kCnxn = MakeCommand("CNXN");
constexpr uint32_t kAuth = MakeCommand("AUTH");
constexpr uint32_t kOpen = MakeCommand("OPEN");
constexpr uint32_t kOkay = MakeCommand("OKAY");
constexpr uint32_t kWrte = MakeCommand("WRTE");
constexpr uint32_t kClse = MakeCommand("CLSE");
constexpr uint32_t kSync = MakeCommand("SYNC");

// The version a device without the checksum-skipping extension answers with.
constexpr uint32_t kDeviceVersion = 0x01000000;
constexpr size_t kHeaderSize = 24;

struct MessageHeader {
  uint32_t command = 0;
  uint32_t arg0 = 0;
  uint32_t arg1 = 0;
  uint32_t data_length = 0;
  uint32_t data_check = 0;
  uint32_t magic = 0;
};

// Reads a header from exactly kHeaderSize bytes; nullopt when the magic does
// not match the command (the stream is then out of step or hostile).
std::optional<MessageHeader> DecodeHeader(std::string_view bytes);

// Appends header and payload to `out`. The checksum is filled in because
// peers of our protocol version may check it.
void AppendMessage(std::string& out, uint32_t command, uint32_t arg0, uint32_t arg1,
                   std::string_view payload = {});

// The byte sum the old protocol versions used as a checksum.
uint32_t PayloadChecksum(std::string_view payload);

// True for the commands a host may send once connected.
bool IsKnownCommand(uint32_t command);

}  // namespace sim
