// One simulated panel: its listener on ADDRESS:PORT, its adb connections, its
// properties, files, log and scripted upgrade, and the faults it plays.
// Every change is written to STATE_DIR/<address>/state.json (atomically), and
// pushed files land under STATE_DIR/<address>/files.
//
// Single-threaded: all methods run on the loop's thread. A panel must outlive
// nothing but its own timers and connections, which it owns.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_fd.h"
#include "sim/adb_connection.h"
#include "sim/event_loop.h"
#include "sim/scenario.h"
#include "sim/services.h"

namespace sim {

class Panel : public PanelServices, public ConnectionHost {
 public:
  Panel(EventLoop& loop, PanelConfig config, const std::string& state_dir);
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;
  ~Panel() override;

  // Prepares the panel's folder and starts listening (unless it refuses
  // connections). Throws std::runtime_error when the address cannot be bound.
  void Start();

  // ShellHost / SyncHost / PanelServices
  std::map<std::string, std::string> Props() const override { return props_; }
  std::string PropOutput(const std::string& name) const override;
  void SetProp(const std::string& name, const std::string& value) override;
  std::string LogText() const override { return log_; }
  std::string FilesRoot() const override { return files_root_; }
  std::string Address() const override { return config_.address; }
  std::string Mac() const override { return config_.mac; }
  void RequestReboot() override;
  void OnFilePushed(const std::string& device_path, uint64_t size) override;
  int64_t DropPushAfter() const override { return config_.faults.drop_push_after; }
  int64_t StallPushAfter() const override { return config_.faults.stall_push_after; }
  ShellFault FaultFor(const std::string& command) const override;
  std::string PushFailMessage() const override { return config_.faults.push_fail; }
  bool ShellV2() const override { return config_.shell_v2; }
  bool TerminalLineEnds() const override { return config_.crlf; }
  void RecordCommand(const std::string& command) override;
  void AddLogFollower(LogFollower* follower) override;
  void RemoveLogFollower(LogFollower* follower) override;

  // ConnectionHost
  std::string Banner() const override;
  uint32_t OwnMaxPayload() const override { return config_.max_payload; }
  bool AnswersHandshake() const override { return !config_.faults.silent; }
  int64_t RateLimit() const override { return config_.faults.rate_limit; }
  std::unique_ptr<Service> OpenService(const std::string& name) override;
  void OnConnectionClosed(uint64_t connection_id) override;

 private:
  struct PushedFile {
    std::string path;
    uint64_t size;
  };

  void Listen();
  void StopListening();
  void AcceptAll();
  void DropAllConnections();
  void Boot();
  void AppendLog(const std::string& tag, const std::string& message);
  void MaybeStartUpgrade();
  void ScheduleUpgrade(int64_t first_delay_ms, bool announce, const std::string& new_version);
  void Then(int64_t& at_ms, std::function<void()> step);
  void CancelUpgrade();
  void Reboot(const std::string& version_after, bool upgraded);
  // Silent from now on; the firmware it boots when power is back is
  // `version_after` (the new one when the upgrade had finished writing).
  void PowerCut(const std::string& version_after, bool upgraded);
  void ClearVolatileState();
  void WriteState() const;

  EventLoop& loop_;
  PanelConfig config_;
  std::string panel_dir_;
  std::string files_root_;
  platform::UniqueFd listener_;
  std::map<uint64_t, std::unique_ptr<AdbConnection>> connections_;
  uint64_t next_connection_id_ = 1;

  std::map<std::string, std::string> props_;
  std::vector<std::pair<std::string, std::string>> setprops_;
  std::deque<std::string> commands_;
  std::vector<PushedFile> pushed_;
  std::string log_;
  std::vector<LogFollower*> followers_;
  std::vector<EventLoop::TimerId> upgrade_timers_;
  // A staged upgrade whose service restarted while nobody followed the log:
  // its version; it begins with the first follower.
  std::optional<std::string> upgrade_waiting_for_log_;
  bool hmi_running_ = true;
  bool upgrading_ = false;
  bool powered_ = true;
  bool rebooting_ = false;
  int reboot_count_ = 0;
  int upgrades_done_ = 0;
  int successes_logged_ = 0;  // "upgrade success, will reboot system!" lines
};

// The version named by an image's first line "FLEETSYNC-IMAGE version=X",
// or empty.
std::string ImageVersion(const std::string& host_path);

}  // namespace sim
