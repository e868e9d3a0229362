#include "sim/sync_session.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "sim/adb_message.h"
#include "sim/device_files.h"

namespace sim {
namespace {

constexpr uint32_t kStat = MakeCommand("STAT");
constexpr uint32_t kList = MakeCommand("LIST");
constexpr uint32_t kSend = MakeCommand("SEND");
constexpr uint32_t kRecv = MakeCommand("RECV");
constexpr uint32_t kData = MakeCommand("DATA");
constexpr uint32_t kDone = MakeCommand("DONE");
constexpr uint32_t kQuit = MakeCommand("QUIT");
constexpr uint32_t kDent = MakeCommand("DENT");
constexpr uint32_t kFail = MakeCommand("FAIL");
constexpr uint32_t kOkayId = MakeCommand("OKAY");

constexpr uint32_t kMaxPathLength = 1024;
constexpr uint32_t kMaxDataChunk = 64 * 1024;

uint32_t Le32(std::string_view bytes) {
  return uint32_t(uint8_t(bytes[0])) | uint32_t(uint8_t(bytes[1])) << 8 |
         uint32_t(uint8_t(bytes[2])) << 16 | uint32_t(uint8_t(bytes[3])) << 24;
}

void Put32(std::string& out, uint32_t value) {
  const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
  out.append(bytes, 4);
}

void PutFail(std::string& out, const std::string& message) {
  Put32(out, kFail);
  Put32(out, uint32_t(message.size()));
  out += message;
}

void PutStat(std::string& out, uint32_t id, const std::string& host_path) {
  struct stat info {};
  Put32(out, id);
  if (::lstat(host_path.c_str(), &info) != 0) {
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    return;
  }
  Put32(out, info.st_mode);
  Put32(out, uint32_t(info.st_size));
  Put32(out, uint32_t(info.st_mtime));
}

void PutListing(std::string& out, const std::string& host_path) {
  if (DIR* dir = ::opendir(host_path.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      struct stat info {};
      if (::lstat((host_path + "/" + name).c_str(), &info) != 0) continue;
      Put32(out, kDent);
      Put32(out, info.st_mode);
      Put32(out, uint32_t(info.st_size));
      Put32(out, uint32_t(info.st_mtime));
      Put32(out, uint32_t(name.size()));
      out += name;
    }
    ::closedir(dir);
  }
  Put32(out, kDone);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
}

}  // namespace

SyncSession::~SyncSession() { AbandonSend(); }

void SyncSession::AbandonSend() {
  if (!file_.valid()) return;
  file_.Reset();
  ::unlink(host_path_.c_str());
}

SyncSession::Status SyncSession::Feed(std::string_view bytes, std::string& reply) {
  Status status = Status::kContinue;
  while (status == Status::kContinue && !bytes.empty()) {
    if (data_remaining_ > 0) {
      // DATA bytes go straight to the file, in whatever pieces they come.
      const size_t take = std::min<size_t>(data_remaining_, bytes.size());
      status = WriteData(bytes.substr(0, take));
      bytes.remove_prefix(take);
      data_remaining_ -= uint32_t(take);
      continue;
    }
    const size_t header_take = std::min(bytes.size(), 8 - std::min<size_t>(8, request_.size()));
    request_.append(bytes.substr(0, header_take));
    bytes.remove_prefix(header_take);
    if (request_.size() < 8) break;
    const uint32_t id = Le32(request_);
    const uint32_t length = Le32(std::string_view(request_).substr(4));
    // DONE carries the mtime where other requests carry a length.
    if (id == kDone || id == kQuit) {
      const std::string argument = request_.substr(4, 4);
      request_.clear();
      status = HandleRequest(id, argument, reply);
      continue;
    }
    const uint32_t limit = id == kData ? kMaxDataChunk : kMaxPathLength;
    if (length > limit) {
      AbandonSend();
      device_path_.clear();
      PutFail(reply, "invalid sync request length");
      return Status::kCloseStream;
    }
    if (id == kData && !device_path_.empty()) {
      request_.clear();
      data_remaining_ = length;
      continue;
    }
    const size_t payload_take = std::min<size_t>(bytes.size(), 8 + length - request_.size());
    request_.append(bytes.substr(0, payload_take));
    bytes.remove_prefix(payload_take);
    if (request_.size() < 8 + size_t(length)) break;
    const std::string payload = request_.substr(8);
    request_.clear();
    status = HandleRequest(id, payload, reply);
  }
  return status;
}

SyncSession::Status SyncSession::HandleRequest(uint32_t id, std::string_view payload,
                                               std::string& reply) {
  const bool sending = !device_path_.empty();
  if (sending && id != kData && id != kDone) {
    AbandonSend();
    device_path_.clear();
    PutFail(reply, "unexpected request during a push");
    return Status::kCloseStream;
  }
  if (id == kData) {
    if (!sending) {
      PutFail(reply, "DATA outside a push");
      return Status::kCloseStream;
    }
    return WriteData(payload);
  }
  if (id == kDone) {
    if (!sending) {
      PutFail(reply, "DONE outside a push");
      return Status::kCloseStream;
    }
    return FinishSend(Le32(payload), reply);
  }
  if (id == kQuit) return Status::kCloseStream;
  if (id == kSend) return BeginSend(payload, reply);
  if (id == kStat || id == kList) {
    const auto mapped = MapDevicePath(host_.FilesRoot(), std::string(payload));
    const std::string path = mapped ? *mapped : std::string();
    if (id == kStat) PutStat(reply, kStat, path);
    else PutListing(reply, path);
    return Status::kContinue;
  }
  PutFail(reply, id == kRecv ? "pull is not supported" : "unknown sync request");
  return Status::kCloseStream;
}

SyncSession::Status SyncSession::BeginSend(std::string_view destination, std::string& reply) {
  const size_t comma = destination.rfind(',');
  const std::string path(destination.substr(0, comma));
  const auto mapped = MapDevicePath(host_.FilesRoot(), path);
  if (comma == std::string_view::npos || !mapped) {
    PutFail(reply, "invalid push destination: " + path);
    return Status::kCloseStream;
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(*mapped).parent_path(), error);
  const int fd = ::open(mapped->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  failure_.clear();
  if (fd < 0) failure_ = std::string("couldn't create file: ") + std::strerror(errno);
  file_.Reset(fd);
  device_path_ = path;
  host_path_ = *mapped;
  received_ = 0;
  return Status::kContinue;
}

SyncSession::Status SyncSession::WriteData(std::string_view data) {
  received_ += data.size();
  const int64_t drop_after = host_.DropPushAfter();
  if (drop_after >= 0 && received_ > uint64_t(drop_after)) {
    AbandonSend();
    device_path_.clear();
    return Status::kDropConnection;
  }
  const int64_t stall_after = host_.StallPushAfter();
  if (stall_after >= 0 && received_ > uint64_t(stall_after)) return Status::kStall;
  while (failure_.empty() && !data.empty()) {
    const ssize_t written = ::write(file_.get(), data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failure_ = std::string("write failed: ") + std::strerror(errno);
      break;
    }
    data.remove_prefix(size_t(written));
  }
  return Status::kContinue;
}

SyncSession::Status SyncSession::FinishSend(uint32_t mtime, std::string& reply) {
  const std::string device_path = std::exchange(device_path_, {});
  std::string failure = failure_;
  if (failure.empty()) failure = host_.PushFailMessage();
  if (!failure.empty()) {
    AbandonSend();
    PutFail(reply, failure);
    return Status::kContinue;
  }
  const timespec times[2] = {{time_t(mtime), 0}, {time_t(mtime), 0}};
  ::futimens(file_.get(), times);
  file_.Reset();
  host_.OnFilePushed(device_path, received_);
  Put32(reply, kOkayId);
  Put32(reply, 0);
  return Status::kContinue;
}

}  // namespace sim
