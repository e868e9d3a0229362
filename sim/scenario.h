// What each simulated panel is and how it misbehaves, read from a JSON
// scenario (format in sim/README.md). Plain data plus a loader; no threads.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct PanelTiming {
  int64_t enter_ms = 300;             // ctl.restart -> "Enter upgrade..."
  int64_t step_ms = 400;              // between upgrade log lines
  int parts = 3;                      // "write part: res" lines
  int64_t reboot_ms = 1500;           // not listening while rebooting
  int64_t underway_finish_ms = 2000;  // an upgrade under way at start ends after this
};

struct PanelFaults {
  bool refuse = false;              // no listener: connections are refused
  bool silent = false;              // accept TCP, never answer CNXN
  int64_t drop_push_after = -1;     // drop the connection after N bytes of one push
  std::string push_fail;            // answer the push with FAIL and this message
  bool drop_mid_logcat = false;     // upgrade reboots after "startUpgrade", old version
  bool upgrade_fails = false;       // upgrade log without success, reboot at old version
  bool upgrade_underway = false;    // the log shows an upgrade under way at start
  bool power_cut_during_upgrade = false;  // goes silent after "startUpgrade"
  int64_t power_cut_after_ms = -1;  // goes silent this long after start
  int64_t power_back_ms = -1;       // after a power cut, back (old version) after this
  int64_t rate_limit = 0;           // bytes per second each way, 0 = unlimited
  bool non_utf8_log = false;        // log lines holding bytes that are not UTF-8
  std::vector<std::string> non_utf8_props;  // these getprop values end in such bytes
  std::vector<std::string> never_answer;    // shell commands accepted and never answered
  std::vector<std::string> endless_output;  // shell commands whose output never ends
  bool power_cut_after_success = false;     // goes silent right after the success line
  bool success_keeps_version = false;       // the upgrade "succeeds", reboots at the old version
  int64_t stall_push_after = -1;    // a push stops being taken after N bytes
};

struct PanelConfig {
  std::string address;  // dotted IPv4 inside 127.0.0.0/8
  uint16_t port = 5555;
  std::string project = "demo";
  std::string version = "1.0.0";
  std::string upgrade_version;  // version after an upgrade whose image names none
  std::string mac;              // eth0 HWaddr; empty: no eth0 hardware address
  std::string model = "QN-Panel";
  bool shell_v2 = false;
  bool crlf = true;  // raw shell output ends lines with "\r\n"
  uint32_t max_payload = 1024 * 1024;
  std::map<std::string, std::string> props;  // further properties
  std::vector<std::string> log;              // messages already in the log at start
  PanelTiming timing;
  PanelFaults faults;
};

// Parses and validates a scenario document; throws std::runtime_error naming
// the fault (not JSON, unknown key, non-loopback or duplicate address, ...).
std::vector<PanelConfig> ParseScenario(const std::string& json_text);

// The document ParseScenario reads back as `panels` (every field written).
std::string ScenarioToJson(const std::vector<PanelConfig>& panels);

// A panel with the defaults for `address` (MAC derived from the address).
PanelConfig DefaultPanel(const std::string& address);

// Throws unless `address` is a dotted IPv4 address in 127.0.0.0/8.
void RequireLoopback(const std::string& address);

}  // namespace sim
