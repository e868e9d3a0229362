// The few commands a panel's shell knows (getprop, setprop, ifconfig, mkdir,
// logcat, echo, rm, reboot, true, false), run against a ShellHost.
// Pure apart from the host's effects; single-threaded like the simulator.
#pragma once

#include <map>
#include <string>

namespace sim {

class ShellHost {
 public:
  virtual ~ShellHost() = default;
  virtual std::map<std::string, std::string> Props() const = 0;
  // The bytes getprop prints for a set property (may differ from the value).
  virtual std::string PropOutput(const std::string& name) const = 0;
  virtual void SetProp(const std::string& name, const std::string& value) = 0;
  virtual std::string LogText() const = 0;
  virtual std::string FilesRoot() const = 0;  // host folder holding the device's "/"
  virtual std::string Address() const = 0;
  virtual std::string Mac() const = 0;
  virtual void RequestReboot() = 0;
};

struct ShellOutcome {
  std::string output;  // stdout and stderr together, "\n" line ends
  int exit_code = 0;
  bool follow_log = false;  // a streaming logcat: keep sending new log lines
};

ShellOutcome RunShellCommand(const std::string& command_line, ShellHost& host);

// The listing `ifconfig` prints (eth0 with `mac`, or without a hardware
// address when `mac` is empty, then lo).
std::string IfconfigListing(const std::string& address, const std::string& mac);

}  // namespace sim
