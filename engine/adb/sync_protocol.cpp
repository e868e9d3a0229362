#include "engine/adb/sync_protocol.h"

namespace adb {

namespace {

void AppendLe32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

std::uint32_t Le32(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
  return value;
}

}  // namespace

std::string SyncHeader(std::string_view id, std::uint32_t value) {
  std::string out(id.substr(0, 4));
  AppendLe32(out, value);
  return out;
}

std::string SyncRequest(std::string_view id, std::string_view payload) {
  std::string out = SyncHeader(id, static_cast<std::uint32_t>(payload.size()));
  out += payload;
  return out;
}

std::optional<SyncStat> ReadStatReply(ByteStream& stream) {
  char reply[16];
  if (!ReadExact(stream, reply, sizeof(reply))) return std::nullopt;
  if (std::string_view(reply, 4) != "STAT") return std::nullopt;
  return SyncStat{Le32(reply + 4), Le32(reply + 8), Le32(reply + 12)};
}

SyncStatus ReadSyncStatus(ByteStream& stream) {
  char header[8];
  if (!ReadExact(stream, header, sizeof(header))) return {SyncStatus::kLost, {}};
  const std::string_view id(header, 4);
  if (id == "OKAY") return {SyncStatus::kOkay, {}};
  const std::uint32_t length = Le32(header + 4);
  if (id != "FAIL" || length > kMaxSyncData) return {SyncStatus::kFault, {}};
  std::string message(length, '\0');
  if (!ReadExact(stream, message.data(), message.size())) return {SyncStatus::kLost, {}};
  return {SyncStatus::kFail, std::move(message)};
}

}  // namespace adb
