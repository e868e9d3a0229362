// The device side of adb's file sync protocol (the "sync:" service) for one
// stream: STAT, LIST, SEND/DATA/DONE and QUIT. Requests may arrive split or
// merged in any way; the session buffers at most one small request and
// writes DATA bytes straight to disk as they arrive.
//
// Single-threaded. A session destroyed in the middle of a SEND removes the
// half-written file, as a device does when the host goes away.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace sim {

class SyncHost {
 public:
  virtual ~SyncHost() = default;
  virtual std::string FilesRoot() const = 0;  // host folder holding the device's "/"
  // A SEND completed; the file is on disk.
  virtual void OnFilePushed(const std::string& device_path, uint64_t size) = 0;
  // Scripted faults: drop the connection once a push passed this many bytes
  // (negative: never); stop taking a push's data once it passed this many
  // (negative: never); answer a push with FAIL and this message (empty: no).
  virtual int64_t DropPushAfter() const { return -1; }
  virtual int64_t StallPushAfter() const { return -1; }
  virtual std::string PushFailMessage() const { return {}; }
};

class SyncSession {
 public:
  enum class Status { kContinue, kCloseStream, kDropConnection, kStall };

  explicit SyncSession(SyncHost& host) : host_(host) {}
  SyncSession(const SyncSession&) = delete;
  SyncSession& operator=(const SyncSession&) = delete;
  ~SyncSession();

  // Consumes bytes from the host; appends any replies to `reply`.
  Status Feed(std::string_view bytes, std::string& reply);

 private:
  Status HandleRequest(uint32_t id, std::string_view payload, std::string& reply);
  Status BeginSend(std::string_view destination, std::string& reply);
  Status WriteData(std::string_view data);
  Status FinishSend(uint32_t mtime, std::string& reply);
  void AbandonSend();

  SyncHost& host_;
  std::string request_;          // the request being assembled (at most 8 + 1024 bytes)
  uint32_t data_remaining_ = 0;  // bytes of the current DATA chunk still to come
  // The push in progress.
  platform::UniqueFd file_;
  std::string device_path_;
  std::string host_path_;
  uint64_t received_ = 0;
  std::string failure_;  // a write failed: answer DONE with FAIL
};

}  // namespace sim
