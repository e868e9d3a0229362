// The adb server's "smart socket" requests and replies.
//
// A request is its length as four hex digits followed by the service text
// ("000chost:version"). The server answers "OKAY", or "FAIL" followed by a
// hex-length-prefixed message. Some services follow their OKAY with a
// hex-length-prefixed text of their own (host:connect, the features query).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/adb/byte_stream.h"

namespace adb {

// Longest request the hex length can state.
inline constexpr std::size_t kMaxRequestLength = 0xffff;

// The wire form of a request; empty when the service is too long to send.
std::string HostRequest(std::string_view service);

struct HostStatus {
  enum Kind {
    kOkay,
    kFail,   // `text` holds the server's message
    kFault,  // the reply was cut short or not a status; `text` says how
  };
  Kind kind = kFault;
  std::string text;
};

// Reads "OKAY" or "FAIL" + message.
HostStatus ReadHostStatus(ByteStream& stream);

// Reads a hex-length-prefixed text; nothing when the stream ends first or the
// length is not four hex digits.
std::optional<std::string> ReadHostText(ByteStream& stream);

}  // namespace adb
