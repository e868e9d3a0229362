// The file-transfer ("sync:") service as a push uses it.
//
// Requests are a four-letter id and a little-endian 32-bit number, followed
// by that many bytes for the ids that carry data: STAT path, SEND "path,mode",
// DATA chunk (at most 64 KiB), DONE mtime (no data), QUIT. The panel answers
// STAT with STAT mode size mtime, and a finished SEND with OKAY or with FAIL
// and its message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/adb/byte_stream.h"

namespace adb {

inline constexpr std::size_t kMaxSyncData = 64 * 1024;
// A chunk and its header fill 64 KiB, as the stock client sends them.
inline constexpr std::size_t kPushChunk = kMaxSyncData - 8;

// `id` followed by the length of `payload` and the payload itself.
std::string SyncRequest(std::string_view id, std::string_view payload);
// `id` followed by `value` (DATA announces its length this way, DONE its time).
std::string SyncHeader(std::string_view id, std::uint32_t value);

struct SyncStat {
  std::uint32_t mode = 0;  // 0 (with size and mtime) when the path does not exist
  std::uint32_t size = 0;
  std::uint32_t mtime = 0;
};

// The reply to STAT; nothing when the stream ends first or the reply is
// something else.
std::optional<SyncStat> ReadStatReply(ByteStream& stream);

struct SyncStatus {
  enum Kind {
    kOkay,
    kFail,   // `text` holds the panel's message
    kLost,   // the stream ended before a whole reply
    kFault,  // not a reply to SEND (or a message longer than any real one)
  };
  Kind kind = kFault;
  std::string text;
};

// The reply to a finished SEND.
SyncStatus ReadSyncStatus(ByteStream& stream);

}  // namespace adb
