#include "tests/support/simulated_fleet.h"

#include <signal.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <rapidjson/document.h>

#include "tests/support/wait_until.h"

#ifndef FLEETSYNC_SIM_PATH
#error "FLEETSYNC_SIM_PATH must name the fleetsync-sim executable"
#endif

namespace fleetsync_test {
namespace {

// The member `key` of `object` if it has type T, else `fallback`.
template <typename T>
T Member(const rapidjson::Value& object, const char* key, T fallback) {
  auto it = object.FindMember(key);
  return it != object.MemberEnd() && it->value.Is<T>() ? it->value.Get<T>() : fallback;
}

}  // namespace

SimulatedFleet::~SimulatedFleet() {
  if (simulator_) {
    simulator_->Signal(SIGTERM);
    simulator_->Wait(std::chrono::seconds(5));  // kills it if it does not stop
    simulator_.reset();
  }
}

PanelSpec& SimulatedFleet::Add(const std::string& address) {
  if (simulator_) throw std::runtime_error("panels must be added before Start");
  panels_.emplace_back(address);
  return panels_.back();
}

void SimulatedFleet::Start(std::chrono::milliseconds timeout) {
  std::vector<sim::PanelConfig> configs;
  for (const PanelSpec& panel : panels_) configs.push_back(panel.config);
  const std::string scenario = root_ / "scenario.json";
  {
    std::ofstream out(scenario);
    out << sim::ScenarioToJson(configs);
    if (!out) throw std::runtime_error("cannot write " + scenario);
  }
  simulator_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{
      FLEETSYNC_SIM_PATH, "--scenario", scenario, "--state-dir", state_dir_, "--time-limit", "900"});
  if (!simulator_->WaitForOutput("ready\n", timeout)) {
    const std::string output = simulator_->OutputSoFar();
    simulator_->Wait(std::chrono::seconds(2));
    simulator_.reset();
    throw std::runtime_error("fleetsync-sim did not get ready: " + output);
  }
}

std::string SimulatedFleet::SimulatorOutput() const {
  return simulator_ ? simulator_->OutputSoFar() : std::string();
}

std::string SimulatedFleet::PanelFolder(const std::string& address) const {
  // The simulator names a panel's folder by address, plus the port when not 5555.
  for (const PanelSpec& panel : panels_)
    if (panel.config.address == address && panel.config.port != 5555)
      return state_dir_ + "/" + address + "_" + std::to_string(panel.config.port);
  return state_dir_ + "/" + address;
}

std::string SimulatedFleet::SerialFor(const std::string& address) const {
  for (const PanelSpec& panel : panels_)
    if (panel.config.address == address) return address + ":" + std::to_string(panel.config.port);
  return Serial(address);
}

std::string SimulatedFleet::FilePath(const std::string& address,
                                     const std::string& device_path) const {
  return PanelFolder(address) + "/files" + device_path;
}

PanelState SimulatedFleet::State(const std::string& address) const {
  std::ifstream in(PanelFolder(address) + "/state.json", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  rapidjson::Document doc;
  doc.Parse(text.str().c_str());
  if (!in || doc.HasParseError() || !doc.IsObject())
    throw std::runtime_error("no state for panel " + address);
  PanelState state;
  state.version = Member<const char*>(doc, "version", "");
  state.powered = Member(doc, "powered", true);
  state.hmi_running = Member(doc, "hmi_running", true);
  state.upgrades_done = Member(doc, "upgrades_done", 0);
  state.successes_logged = Member(doc, "successes_logged", 0);
  if (doc.HasMember("setprops") && doc["setprops"].IsArray())
    for (const auto& pair : doc["setprops"].GetArray())
      if (pair.IsArray() && pair.Size() == 2 && pair[0].IsString() && pair[1].IsString())
        state.setprops.emplace_back(pair[0].GetString(), pair[1].GetString());
  if (doc.HasMember("commands") && doc["commands"].IsArray())
    for (const auto& command : doc["commands"].GetArray())
      if (command.IsString()) state.commands.emplace_back(command.GetString(), command.GetStringLength());
  if (doc.HasMember("pushed") && doc["pushed"].IsArray())
    for (const auto& file : doc["pushed"].GetArray())
      if (file.IsObject() && file.HasMember("size") && file["size"].IsUint64())
        state.pushed.push_back({Member<const char*>(file, "path", ""), file["size"].GetUint64()});
  return state;
}

bool SimulatedFleet::WaitFor(const std::string& address,
                             const std::function<bool(const PanelState&)>& condition,
                             std::chrono::milliseconds timeout) const {
  return WaitUntil([&] {
    try {
      return condition(State(address));
    } catch (const std::runtime_error&) {
      return false;  // not written yet
    }
  }, timeout);
}

std::string MakeImage(const std::string& path, const std::string& version, size_t size) {
  std::string bytes = "FLEETSYNC-IMAGE version=" + version + "\n";
  uint32_t seed = 2463534242u;
  while (bytes.size() < size) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    bytes += char(seed);
  }
  bytes.resize(size);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace fleetsync_test
