// What the adb server and a panel send the socket client, on hostile bytes.
// The first input byte chooses the read size (1..32), the second the reply
// kind; the rest is the stream. Whatever the bytes and however they are split
// into reads, each reader gives the same result, takes no more bytes than a
// reply may hold, and passes on no more output than it was given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/adb/host_protocol.h"
#include "engine/adb/shell_protocol.h"
#include "engine/adb/sync_protocol.h"
#include "fuzz/fuzz_check.h"

namespace {

// Hands out `bytes` at most `piece` bytes per read.
class ScriptedStream : public adb::ByteStream {
 public:
  ScriptedStream(std::string_view bytes, size_t piece) : bytes_(bytes), piece_(piece) {}
  bool Write(std::string_view) override { return true; }
  size_t ReadSome(char* buffer, size_t size) override {
    const size_t n = std::min({size, piece_, bytes_.size()});
    std::copy_n(bytes_.data(), n, buffer);
    bytes_.remove_prefix(n);
    return n;
  }
  size_t left() const { return bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t piece_;
};

struct Reading {
  std::string value;  // the reader's result, flattened
  size_t used = 0;    // bytes taken from the stream
  bool operator==(const Reading& other) const { return value == other.value && used == other.used; }
};

Reading ReadHost(std::string_view stream, size_t piece) {
  ScriptedStream source(stream, piece);
  const adb::HostStatus status = adb::ReadHostStatus(source);
  Reading reading{std::to_string(status.kind) + ":" + status.text};
  FUZZ_CHECK(status.text.size() <= 0xffff + 16);
  if (status.kind == adb::HostStatus::kOkay) {
    const std::optional<std::string> text = adb::ReadHostText(source);
    if (text) reading.value += "|" + *text;
  }
  reading.used = stream.size() - source.left();
  return reading;
}

Reading ReadSync(std::string_view stream, size_t piece) {
  ScriptedStream source(stream, piece);
  Reading reading;
  if (const std::optional<adb::SyncStat> stat = adb::ReadStatReply(source))
    reading.value = std::to_string(stat->mode) + "," + std::to_string(stat->size) + "," +
                    std::to_string(stat->mtime);
  const adb::SyncStatus status = adb::ReadSyncStatus(source);
  FUZZ_CHECK(status.text.size() <= adb::kMaxSyncData);
  reading.value += "|" + std::to_string(status.kind) + ":" + status.text;
  reading.used = stream.size() - source.left();
  return reading;
}

Reading ReadShell(std::string_view stream, size_t piece) {
  Reading reading;
  adb::ShellPacketReader reader([&reading](std::string_view bytes) { reading.value += bytes; });
  for (size_t at = 0; at < stream.size() && !reader.exit_status(); at += piece) {
    const std::string_view chunk = stream.substr(at, piece);
    const size_t used = reader.Feed(chunk);
    FUZZ_CHECK(used <= chunk.size());
    reading.used += used;
    FUZZ_CHECK(used == chunk.size() || reader.exit_status());
  }
  FUZZ_CHECK(reading.value.size() <= reading.used);
  if (reader.exit_status()) {
    FUZZ_CHECK(*reader.exit_status() >= 0 && *reader.exit_status() <= 255);
    reading.value += "|exit " + std::to_string(*reader.exit_status());
  }
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t piece = size_t(data[0] % 32) + 1;
  const std::string_view stream(reinterpret_cast<const char*>(data) + 2, size - 2);
  Reading (*const readers[])(std::string_view, size_t) = {ReadHost, ReadSync, ReadShell};
  const auto read = readers[data[1] % 3];
  FUZZ_CHECK(read(stream, piece) == read(stream, stream.size() + 1));
  return 0;
}
