#include "engine/adb/host_protocol.h"

#include <cstdio>

namespace adb {

std::string HostRequest(std::string_view service) {
  if (service.size() > kMaxRequestLength) return {};
  char length[5];
  std::snprintf(length, sizeof(length), "%04zx", service.size());
  std::string request(length, 4);
  request += service;
  return request;
}

namespace {

std::optional<std::size_t> HexLength(std::string_view digits) {
  std::size_t value = 0;
  for (const char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * 16 + static_cast<std::size_t>(digit);
  }
  return value;
}

}  // namespace

std::optional<std::string> ReadHostText(ByteStream& stream) {
  char digits[4];
  if (!ReadExact(stream, digits, sizeof(digits))) return std::nullopt;
  const std::optional<std::size_t> length = HexLength(std::string_view(digits, sizeof(digits)));
  if (!length) return std::nullopt;
  std::string text(*length, '\0');  // at most 64 KiB: four hex digits
  if (!ReadExact(stream, text.data(), text.size())) return std::nullopt;
  return text;
}

HostStatus ReadHostStatus(ByteStream& stream) {
  char status[4];
  if (!ReadExact(stream, status, sizeof(status))) return {HostStatus::kFault, "couldn't read status"};
  const std::string_view word(status, sizeof(status));
  if (word == "OKAY") return {HostStatus::kOkay, {}};
  if (word != "FAIL") return {HostStatus::kFault, "status " + std::string(word) + "?!"};
  std::optional<std::string> message = ReadHostText(stream);
  if (!message) return {HostStatus::kFault, "couldn't read failure message"};
  return {HostStatus::kFail, std::move(*message)};
}

}  // namespace adb
