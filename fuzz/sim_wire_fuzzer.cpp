// The simulator's wire formats on hostile bytes.
//  - The transport header: a decoded header has the magic of its command,
//    and a header written by AppendMessage decodes to its own fields.
//  - The sync request stream: a request header declaring more than its
//    limit (64 KiB for DATA, 1 KiB for paths) is refused with FAIL before any
//    payload is taken, and the outcome does not depend on how the bytes are
//    split into reads. Pushed files stay inside the panel's root.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "sim/adb_message.h"
#include "sim/device_files.h"
#include "sim/sync_session.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMaxDataChunk = 64 * 1024;
constexpr uint32_t kMaxPathLength = 1024;

uint32_t Le32(std::string_view bytes) {
  return uint32_t(uint8_t(bytes[0])) | uint32_t(uint8_t(bytes[1])) << 8 |
         uint32_t(uint8_t(bytes[2])) << 16 | uint32_t(uint8_t(bytes[3])) << 24;
}

class ScratchPanel : public sim::SyncHost {
 public:
  explicit ScratchPanel(fs::path root) : root_(std::move(root)) {
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  std::string FilesRoot() const override { return root_.string(); }
  void OnFilePushed(const std::string& device_path, uint64_t) override {
    const auto mapped = sim::MapDevicePath(FilesRoot(), device_path);
    FUZZ_CHECK(mapped.has_value());
    FUZZ_CHECK(mapped->rfind(FilesRoot(), 0) == 0);
  }

 private:
  fs::path root_;
};

const fs::path& ScratchRoot() {
  static const fs::path root = [] {
    const char* base = std::getenv("TMPDIR");
    return fs::path(base && *base ? base : "/tmp") / ("fuzz-sync-" + std::to_string(getpid()));
  }();
  return root;
}

struct Outcome {
  sim::SyncSession::Status status = sim::SyncSession::Status::kContinue;
  size_t reply_bytes = 0;
  size_t consumed = 0;
};

// Feeds `stream` in pieces of `piece` bytes until the session ends the stream.
Outcome Run(std::string_view stream, size_t piece) {
  ScratchPanel panel(ScratchRoot());
  Outcome outcome;
  {
    sim::SyncSession session(panel);
    std::string reply;
    while (outcome.consumed < stream.size() &&
           outcome.status == sim::SyncSession::Status::kContinue) {
      const std::string_view chunk = stream.substr(outcome.consumed, piece);
      outcome.status = session.Feed(chunk, reply);
      outcome.consumed += chunk.size();
    }
    outcome.reply_bytes = reply.size();
  }
  fs::remove_all(ScratchRoot());
  return outcome;
}

void CheckHeader(std::string_view bytes) {
  if (bytes.size() < sim::kHeaderSize) {
    FUZZ_CHECK(!sim::DecodeHeader(bytes).has_value());
    return;
  }
  if (const auto header = sim::DecodeHeader(bytes)) {
    FUZZ_CHECK(header->magic == ~header->command);
    std::string written;
    const std::string_view payload = bytes.substr(sim::kHeaderSize, 64);
    sim::AppendMessage(written, header->command, header->arg0, header->arg1, payload);
    const auto again = sim::DecodeHeader(written);
    FUZZ_CHECK(again && again->command == header->command && again->arg0 == header->arg0 &&
               again->arg1 == header->arg1 && again->data_length == payload.size() &&
               again->data_check == sim::PayloadChecksum(payload));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckHeader(input);

  // First byte: read size for the split run; the rest is the sync stream.
  const size_t piece = size_t(uint8_t(input[0]) % 31) + 1;
  const std::string_view stream = input.substr(1);

  if (stream.size() >= 8) {
    const uint32_t id = Le32(stream);
    const uint32_t length = Le32(stream.substr(4));
    const bool carries_length = id != sim::MakeCommand("DONE") && id != sim::MakeCommand("QUIT");
    const uint32_t limit = id == sim::MakeCommand("DATA") ? kMaxDataChunk : kMaxPathLength;
    if (carries_length && length > limit) {
      ScratchPanel panel(ScratchRoot());
      sim::SyncSession session(panel);
      std::string reply;
      FUZZ_CHECK(session.Feed(stream.substr(0, 8), reply) == sim::SyncSession::Status::kCloseStream);
      FUZZ_CHECK(reply.rfind("FAIL", 0) == 0);
    }
  }

  const Outcome whole = Run(stream, stream.size() + 1);
  const Outcome split = Run(stream, piece);
  FUZZ_CHECK(whole.status == split.status);
  FUZZ_CHECK(whole.reply_bytes == split.reply_bytes);
  return 0;
}
