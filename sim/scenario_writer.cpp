#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "sim/scenario.h"

namespace sim {
namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void Str(Writer& w, const char* key, const std::string& value) {
  w.Key(key);
  w.String(value.data(), rapidjson::SizeType(value.size()));
}

void Int(Writer& w, const char* key, int64_t value) {
  w.Key(key);
  w.Int64(value);
}

void Flag(Writer& w, const char* key, bool value) {
  w.Key(key);
  w.Bool(value);
}

void Strings(Writer& w, const char* key, const std::vector<std::string>& values) {
  w.Key(key);
  w.StartArray();
  for (const std::string& value : values) w.String(value.data(), rapidjson::SizeType(value.size()));
  w.EndArray();
}

void WritePanel(Writer& w, const PanelConfig& p) {
  w.StartObject();
  Str(w, "address", p.address);
  Int(w, "port", p.port);
  Str(w, "project", p.project);
  Str(w, "version", p.version);
  Str(w, "upgrade_version", p.upgrade_version);
  Str(w, "mac", p.mac);
  Str(w, "model", p.model);
  Flag(w, "shell_v2", p.shell_v2);
  Flag(w, "crlf", p.crlf);
  Int(w, "max_payload", p.max_payload);
  w.Key("props");
  w.StartObject();
  for (const auto& [name, value] : p.props) {
    w.Key(name.data(), rapidjson::SizeType(name.size()));
    w.String(value.data(), rapidjson::SizeType(value.size()));
  }
  w.EndObject();
  Strings(w, "log", p.log);
  w.Key("timing");
  w.StartObject();
  Int(w, "enter_ms", p.timing.enter_ms);
  Int(w, "step_ms", p.timing.step_ms);
  Int(w, "parts", p.timing.parts);
  Int(w, "reboot_ms", p.timing.reboot_ms);
  Int(w, "underway_finish_ms", p.timing.underway_finish_ms);
  w.EndObject();
  const PanelFaults& f = p.faults;
  w.Key("faults");
  w.StartObject();
  Flag(w, "refuse", f.refuse);
  Flag(w, "silent", f.silent);
  Int(w, "drop_push_after", f.drop_push_after);
  Str(w, "push_fail", f.push_fail);
  Flag(w, "drop_mid_logcat", f.drop_mid_logcat);
  Flag(w, "upgrade_fails", f.upgrade_fails);
  Flag(w, "upgrade_underway", f.upgrade_underway);
  Flag(w, "power_cut_during_upgrade", f.power_cut_during_upgrade);
  Int(w, "power_cut_after_ms", f.power_cut_after_ms);
  Int(w, "power_back_ms", f.power_back_ms);
  Int(w, "rate_limit", f.rate_limit);
  Flag(w, "non_utf8_log", f.non_utf8_log);
  Strings(w, "non_utf8_props", f.non_utf8_props);
  Strings(w, "never_answer", f.never_answer);
  Strings(w, "endless_output", f.endless_output);
  Flag(w, "power_cut_after_success", f.power_cut_after_success);
  Flag(w, "success_keeps_version", f.success_keeps_version);
  Int(w, "stall_push_after", f.stall_push_after);
  w.EndObject();
  w.EndObject();
}

}  // namespace

std::string ScenarioToJson(const std::vector<PanelConfig>& panels) {
  rapidjson::StringBuffer buffer;
  Writer w(buffer);
  w.StartObject();
  w.Key("panels");
  w.StartArray();
  for (const PanelConfig& panel : panels) WritePanel(w, panel);
  w.EndArray();
  w.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace sim
