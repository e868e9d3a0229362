// The adb services a panel offers: "shell:" (raw, as old panels), "shell,v2,…:"
// (framed stdout/stderr/exit, when the panel advertises shell_v2), "exec:",
// "sync:" and "reboot:". Single-threaded.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sim/panel_shell.h"
#include "sim/stream.h"
#include "sim/sync_session.h"

namespace sim {

class LogFollower {
 public:
  virtual ~LogFollower() = default;
  virtual void OnLogBytes(std::string_view bytes) = 0;
};

// How a panel mistreats a shell command (scripted faults).
enum class ShellFault { kNone, kNeverAnswer, kEndlessOutput };

// What the services need from their panel.
class PanelServices : public ShellHost, public SyncHost {
 public:
  virtual ShellFault FaultFor(const std::string& command) const = 0;
  virtual bool ShellV2() const = 0;
  virtual bool TerminalLineEnds() const = 0;  // raw shell output uses "\r\n"
  virtual void RecordCommand(const std::string& command) = 0;
  virtual void AddLogFollower(LogFollower* follower) = 0;
  virtual void RemoveLogFollower(LogFollower* follower) = 0;
};

// A service for the OPEN request `name`, or null when the panel has none.
std::unique_ptr<Service> CreateService(const std::string& name, PanelServices& panel);

// Frames shell_v2 packets: id byte, 4-byte little-endian length, data.
enum ShellPacketId : char { kShellStdin = 0, kShellStdout = 1, kShellStderr = 2, kShellExit = 3 };
std::string ShellPacket(ShellPacketId id, std::string_view data);

// "\n" -> "\r\n" (existing "\r\n" kept), as a terminal shows output.
std::string TerminalLines(std::string_view text);

}  // namespace sim
