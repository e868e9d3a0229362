#include "sim/scenario.h"

#include <arpa/inet.h>

#include <cstdio>
#include <set>
#include <stdexcept>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

namespace sim {
namespace {

using rapidjson::Value;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("scenario: " + what);
}

std::string String(const Value& v, const char* key) {
  if (!v.IsString()) Fail(std::string(key) + " must be a string");
  return std::string(v.GetString(), v.GetStringLength());
}

int64_t Integer(const Value& v, const char* key) {
  if (!v.IsInt64()) Fail(std::string(key) + " must be an integer");
  return v.GetInt64();
}

bool Bool(const Value& v, const char* key) {
  if (!v.IsBool()) Fail(std::string(key) + " must be true or false");
  return v.GetBool();
}

std::vector<std::string> Strings(const Value& v, const char* key) {
  if (!v.IsArray()) Fail(std::string(key) + " must be a list of strings");
  std::vector<std::string> out;
  for (const Value& item : v.GetArray()) out.push_back(String(item, key));
  return out;
}

void ReadTiming(const Value& object, PanelTiming& timing) {
  if (!object.IsObject()) Fail("timing must be an object");
  for (const auto& m : object.GetObject()) {
    const std::string key = m.name.GetString();
    const int64_t value = Integer(m.value, key.c_str());
    if (value < 0) Fail(key + " must not be negative");
    if (key == "enter_ms") timing.enter_ms = value;
    else if (key == "step_ms") timing.step_ms = value;
    else if (key == "parts") timing.parts = int(std::min<int64_t>(value, 1000));
    else if (key == "reboot_ms") timing.reboot_ms = value;
    else if (key == "underway_finish_ms") timing.underway_finish_ms = value;
    else Fail("unknown timing key " + key);
  }
}

void ReadFaults(const Value& object, PanelFaults& faults) {
  if (!object.IsObject()) Fail("faults must be an object");
  for (const auto& m : object.GetObject()) {
    const std::string key = m.name.GetString();
    const char* k = key.c_str();
    if (key == "refuse") faults.refuse = Bool(m.value, k);
    else if (key == "silent") faults.silent = Bool(m.value, k);
    else if (key == "drop_push_after") faults.drop_push_after = Integer(m.value, k);
    else if (key == "push_fail") faults.push_fail = String(m.value, k);
    else if (key == "drop_mid_logcat") faults.drop_mid_logcat = Bool(m.value, k);
    else if (key == "upgrade_fails") faults.upgrade_fails = Bool(m.value, k);
    else if (key == "upgrade_underway") faults.upgrade_underway = Bool(m.value, k);
    else if (key == "power_cut_during_upgrade") faults.power_cut_during_upgrade = Bool(m.value, k);
    else if (key == "power_cut_after_ms") faults.power_cut_after_ms = Integer(m.value, k);
    else if (key == "power_back_ms") faults.power_back_ms = Integer(m.value, k);
    else if (key == "rate_limit") faults.rate_limit = Integer(m.value, k);
    else if (key == "non_utf8_log") faults.non_utf8_log = Bool(m.value, k);
    else if (key == "non_utf8_props") faults.non_utf8_props = Strings(m.value, k);
    else if (key == "never_answer") faults.never_answer = Strings(m.value, k);
    else if (key == "endless_output") faults.endless_output = Strings(m.value, k);
    else if (key == "power_cut_after_success") faults.power_cut_after_success = Bool(m.value, k);
    else if (key == "success_keeps_version") faults.success_keeps_version = Bool(m.value, k);
    else if (key == "stall_push_after") faults.stall_push_after = Integer(m.value, k);
    else Fail("unknown fault " + key);
  }
  if (faults.rate_limit < 0) Fail("rate_limit must not be negative");
}

void ReadPanel(const Value& object, PanelConfig& panel) {
  if (!object.IsObject()) Fail("a panel must be an object");
  for (const auto& m : object.GetObject()) {
    const std::string key = m.name.GetString();
    const char* k = key.c_str();
    if (key == "address") panel.address = String(m.value, k);
    else if (key == "port") {
      const int64_t port = Integer(m.value, k);
      if (port < 1 || port > 65535) Fail("port out of range");
      panel.port = uint16_t(port);
    } else if (key == "project") panel.project = String(m.value, k);
    else if (key == "version") panel.version = String(m.value, k);
    else if (key == "upgrade_version") panel.upgrade_version = String(m.value, k);
    else if (key == "mac") panel.mac = String(m.value, k);
    else if (key == "model") panel.model = String(m.value, k);
    else if (key == "shell_v2") panel.shell_v2 = Bool(m.value, k);
    else if (key == "crlf") panel.crlf = Bool(m.value, k);
    else if (key == "max_payload") {
      const int64_t size = Integer(m.value, k);
      if (size < 4096 || size > 1024 * 1024) Fail("max_payload must be 4096..1048576");
      panel.max_payload = uint32_t(size);
    } else if (key == "props") {
      if (!m.value.IsObject()) Fail("props must be an object");
      for (const auto& p : m.value.GetObject())
        panel.props[p.name.GetString()] = String(p.value, p.name.GetString());
    } else if (key == "log") panel.log = Strings(m.value, k);
    else if (key == "timing") ReadTiming(m.value, panel.timing);
    else if (key == "faults") ReadFaults(m.value, panel.faults);
    else Fail("unknown panel key " + key);
  }
}

}  // namespace

void RequireLoopback(const std::string& address) {
  in_addr parsed{};
  if (inet_pton(AF_INET, address.c_str(), &parsed) != 1)
    Fail("not an IPv4 address: " + address);
  if ((ntohl(parsed.s_addr) >> 24) != 127) Fail("not a loopback address: " + address);
}

PanelConfig DefaultPanel(const std::string& address) {
  PanelConfig panel;
  panel.address = address;
  in_addr parsed{};
  if (inet_pton(AF_INET, address.c_str(), &parsed) == 1) {
    const uint32_t host = ntohl(parsed.s_addr);
    char mac[32];
    std::snprintf(mac, sizeof mac, "02:00:%02x:%02x:%02x:%02x", host >> 24, (host >> 16) & 255,
                  (host >> 8) & 255, host & 255);
    panel.mac = mac;
  }
  return panel;
}

std::vector<PanelConfig> ParseScenario(const std::string& json_text) {
  rapidjson::Document doc;
  doc.Parse(json_text.c_str(), json_text.size());
  if (doc.HasParseError())
    Fail(std::string("not JSON: ") + rapidjson::GetParseError_En(doc.GetParseError()));
  if (!doc.IsObject()) Fail("the document must be an object");
  const Value* defaults = nullptr;
  const Value* panels = nullptr;
  for (const auto& m : doc.GetObject()) {
    const std::string key = m.name.GetString();
    if (key == "defaults") defaults = &m.value;
    else if (key == "panels") panels = &m.value;
    else Fail("unknown key " + key);
  }
  if (!panels || !panels->IsArray()) Fail("panels must be a list");
  std::vector<PanelConfig> out;
  std::set<std::pair<std::string, uint16_t>> seen;
  for (const Value& entry : panels->GetArray()) {
    if (!entry.IsObject() || !entry.HasMember("address")) Fail("every panel needs an address");
    PanelConfig panel = DefaultPanel(String(entry["address"], "address"));
    if (defaults) ReadPanel(*defaults, panel);
    ReadPanel(entry, panel);
    RequireLoopback(panel.address);
    if (!seen.emplace(panel.address, panel.port).second)
      Fail("duplicate panel " + panel.address);
    out.push_back(std::move(panel));
  }
  return out;
}

}  // namespace sim
