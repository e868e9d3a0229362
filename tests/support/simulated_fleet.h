// Simulated panels for end-to-end tests: builds a scenario in C++, runs
// `fleetsync-sim` with it, and reads each panel's state back.
//
//   fleetsync_test::SimulatedFleet fleet;
//   fleet.Add("127.0.0.5").Project("QN").Version("1.0.0").ShellV2().FastTiming();
//   fleet.Add("127.0.0.6").Refuse();
//   fleet.Start();                                   // returns once every listener is up
//   ... run adb / the engine against 127.0.0.5:5555 ...
//   fleet.WaitFor("127.0.0.5", [](const PanelState& s) { return s.upgrades_done == 1; });
//   EXPECT_EQ(fleet.State("127.0.0.5").version, "1.1.0");
//   fleet.FilePath("127.0.0.5", "/tmp/fleet-sync/update.img");   // the pushed bytes on disk
//
// Panels default to project "demo", version "1.0.0", MAC 02:00:7f:00:00:NN,
// raw shell with "\r\n" line ends (an old panel), a few seconds per upgrade.
// After an upgrade the version is the one on the image's first line
// "FLEETSYNC-IMAGE version=X.Y.Z" (see MakeImage).
// Faults and timings: see the builder and sim/README.md.
//
// The simulator's state folder is a fresh temporary folder, removed on
// destruction; the simulator is stopped (SIGTERM, then SIGKILL) then too, and
// has a time limit of its own in case a test dies. Use from one thread.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/scenario.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace fleetsync_test {

class PanelSpec {
 public:
  explicit PanelSpec(const std::string& address) : config(sim::DefaultPanel(address)) {}

  PanelSpec& Project(std::string v) { config.project = std::move(v); return *this; }
  PanelSpec& Version(std::string v) { config.version = std::move(v); return *this; }
  PanelSpec& Port(uint16_t v) { config.port = v; return *this; }
  // A recent panel: advertises shell_v2 (adb's exit code = the command's) and
  // prints "\n" line ends.
  PanelSpec& ShellV2(bool on = true) { config.shell_v2 = on; config.crlf = !on; return *this; }
  PanelSpec& Timing(int64_t enter_ms, int64_t step_ms, int parts, int64_t reboot_ms) {
    config.timing.enter_ms = enter_ms;
    config.timing.step_ms = step_ms;
    config.timing.parts = parts;
    config.timing.reboot_ms = reboot_ms;
    return *this;
  }
  // An upgrade in well under a second, a reboot of 300 ms.
  PanelSpec& FastTiming() { return Timing(50, 50, 2, 300); }

  // Faults.
  PanelSpec& Refuse() { config.faults.refuse = true; return *this; }
  PanelSpec& SilentHandshake() { config.faults.silent = true; return *this; }
  PanelSpec& DropPushAfter(int64_t bytes) { config.faults.drop_push_after = bytes; return *this; }
  PanelSpec& PushFail(std::string message) { config.faults.push_fail = std::move(message); return *this; }
  PanelSpec& DropMidLogcat() { config.faults.drop_mid_logcat = true; return *this; }
  PanelSpec& UpgradeFails() { config.faults.upgrade_fails = true; return *this; }
  // Power cut: silent, connections left open; back (old version) after
  // `back_after_ms`, or never when negative.
  PanelSpec& PowerCutDuringUpgrade(int64_t back_after_ms = -1) {
    config.faults.power_cut_during_upgrade = true;
    config.faults.power_back_ms = back_after_ms;
    return *this;
  }
  PanelSpec& RateLimit(int64_t bytes_per_second) { config.faults.rate_limit = bytes_per_second; return *this; }
  PanelSpec& NonUtf8Log() { config.faults.non_utf8_log = true; return *this; }
  PanelSpec& NonUtf8Prop(std::string name) { config.faults.non_utf8_props.push_back(std::move(name)); return *this; }
  // Shell commands as the panel receives them, e.g. "getprop ro.app.version", "logcat".
  PanelSpec& NeverAnswer(std::string command) { config.faults.never_answer.push_back(std::move(command)); return *this; }
  PanelSpec& EndlessOutput(std::string command) { config.faults.endless_output.push_back(std::move(command)); return *this; }
  // The upgrade finishes, then power is lost (no FIN); back at the new
  // version after `back_after_ms` (never when negative).
  PanelSpec& PowerCutAfterSuccess(int64_t back_after_ms) {
    config.faults.power_cut_after_success = true;
    config.faults.power_back_ms = back_after_ms;
    return *this;
  }
  PanelSpec& SuccessKeepsVersion() { config.faults.success_keeps_version = true; return *this; }
  PanelSpec& StallPushAfter(int64_t bytes) { config.faults.stall_push_after = bytes; return *this; }

  sim::PanelConfig config;
};

struct PushedFile {
  std::string path;
  uint64_t size = 0;
};

// A panel's state.json, as last written by the simulator.
struct PanelState {
  std::string version;
  bool powered = true;
  bool hmi_running = true;
  int upgrades_done = 0;
  int successes_logged = 0;  // "upgrade success, will reboot system!" lines
  std::vector<std::pair<std::string, std::string>> setprops;  // in order
  std::vector<std::string> commands;  // shell commands and "push PATH", in order
  std::vector<PushedFile> pushed;
};

class SimulatedFleet {
 public:
  SimulatedFleet() = default;
  SimulatedFleet(const SimulatedFleet&) = delete;
  SimulatedFleet& operator=(const SimulatedFleet&) = delete;
  ~SimulatedFleet();

  // Adds a panel (before Start); the reference stays valid. Addresses name
  // panels in the calls below, so give each panel its own address.
  PanelSpec& Add(const std::string& address);
  // Writes the scenario, starts the simulator and waits for its "ready";
  // throws std::runtime_error (with the simulator's output) otherwise.
  void Start(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // Throws std::runtime_error when the panel has no state yet.
  PanelState State(const std::string& address) const;
  // Polls the state until `condition` holds; false after `timeout`.
  bool WaitFor(const std::string& address, const std::function<bool(const PanelState&)>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
  // Where the panel keeps device file `device_path` on this machine.
  std::string FilePath(const std::string& address, const std::string& device_path) const;
  std::string SimulatorOutput() const;
  pid_t simulator_pid() const { return simulator_ ? simulator_->pid() : -1; }

  static std::string Serial(const std::string& address) { return address + ":5555"; }
  // The serial of an added panel, with its own port.
  std::string SerialFor(const std::string& address) const;

 private:
  std::string PanelFolder(const std::string& address) const;

  TempFolder root_{"fleetsync-sim"};
  const std::string state_dir_ = root_ / "state";
  std::deque<PanelSpec> panels_;
  std::unique_ptr<BackgroundProcess> simulator_;
};

// Writes an update image of `size` bytes whose first line names `version`
// (the simulator reports it after the upgrade); the rest is a fixed pseudo-
// random pattern. Returns `path`.
std::string MakeImage(const std::string& path, const std::string& version, size_t size = 4096);

}  // namespace fleetsync_test
