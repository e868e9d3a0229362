#include "sim/adb_message.h"

namespace sim {
namespace {

uint32_t ReadLe32(std::string_view bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
         uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

void AppendLe32(std::string& out, uint32_t value) {
  const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
  out.append(bytes, 4);
}

}  // namespace

std::optional<MessageHeader> DecodeHeader(std::string_view bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  MessageHeader header;
  header.command = ReadLe32(bytes, 0);
  header.arg0 = ReadLe32(bytes, 4);
  header.arg1 = ReadLe32(bytes, 8);
  header.data_length = ReadLe32(bytes, 12);
  header.data_check = ReadLe32(bytes, 16);
  header.magic = ReadLe32(bytes, 20);
  if (header.magic != (header.command ^ 0xffffffffu)) return std::nullopt;
  return header;
}

uint32_t PayloadChecksum(std::string_view payload) {
  uint32_t sum = 0;
  for (char c : payload) sum += uint8_t(c);
  return sum;
}

void AppendMessage(std::string& out, uint32_t command, uint32_t arg0, uint32_t arg1,
                   std::string_view payload) {
  AppendLe32(out, command);
  AppendLe32(out, arg0);
  AppendLe32(out, arg1);
  AppendLe32(out, uint32_t(payload.size()));
  AppendLe32(out, PayloadChecksum(payload));
  AppendLe32(out, command ^ 0xffffffffu);
  out.append(payload);
}

bool IsKnownCommand(uint32_t command) {
  return command == kCnxn || command == kAuth || command == kOpen || command == kOkay ||
         command == kWrte || command == kClse || command == kSync;
}

}  // namespace sim
