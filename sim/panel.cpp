#include "sim/panel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "sim/device_files.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxLogBytes = 1024 * 1024;
constexpr size_t kMaxCommands = 2000;
constexpr const char* kInvalidUtf8 = "\xff\xfe\xc3(\x80";

std::string LogTimestamp() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d.%03d", local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                int(now.tv_nsec / 1000000));
  return text;
}

bool HasRegularFile(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file(error)) return true;
  return false;
}

}  // namespace

std::string ImageVersion(const std::string& host_path) {
  std::ifstream in(host_path, std::ios::binary);
  char head[256] = {};
  in.read(head, sizeof head - 1);
  const std::string first(head, size_t(in.gcount()));
  const std::string prefix = "FLEETSYNC-IMAGE version=";
  if (first.rfind(prefix, 0) != 0) return {};
  const size_t end = first.find_first_of(" \t\r\n", prefix.size());
  return first.substr(prefix.size(), end == std::string::npos ? std::string::npos
                                                               : end - prefix.size());
}

Panel::Panel(EventLoop& loop, PanelConfig config, const std::string& state_dir)
    : loop_(loop), config_(std::move(config)) {
  const std::string name = config_.port == 5555
                               ? config_.address
                               : config_.address + "_" + std::to_string(config_.port);
  panel_dir_ = state_dir + "/" + name;
  files_root_ = panel_dir_ + "/files";
  props_ = config_.props;
  props_["ro.app.name"] = config_.project;
  props_["ro.app.version"] = config_.version;
  props_["ro.product.model"] = config_.model;
  props_.emplace("ro.product.name", "qnpanel");
  props_.emplace("ro.product.device", "qnpanel");
  props_.emplace("ro.build.version.release", config_.shell_v2 ? "9" : "5.1.1");
}

Panel::~Panel() {
  for (EventLoop::TimerId id : upgrade_timers_) loop_.Cancel(id);
  connections_.clear();
  if (listener_.valid()) loop_.Unwatch(listener_.get());
}

void Panel::Start() {
  std::error_code error;
  fs::remove_all(panel_dir_, error);
  fs::create_directories(files_root_ + "/tmp", error);
  fs::create_directories(files_root_ + "/sdcard", error);
  if (error) throw std::runtime_error("cannot create " + files_root_ + ": " + error.message());
  for (const std::string& line : config_.log) AppendLog("QnHmi", line);
  Boot();
  if (config_.faults.upgrade_underway) {
    AppendLog("QnHmi", "Enter upgrade...");
    AppendLog("QnUpgrade", "startUpgrade");
    const std::string target =
        config_.upgrade_version.empty() ? config_.version : config_.upgrade_version;
    ScheduleUpgrade(config_.timing.underway_finish_ms, false, target);
  }
  if (config_.faults.power_cut_after_ms >= 0)
    loop_.After(config_.faults.power_cut_after_ms,
                [this] { PowerCut(props_["ro.app.version"], false); });
  if (!config_.faults.refuse) Listen();
  WriteState();
}

void Panel::Listen() {
  if (listener_.valid()) return;
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.valid()) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  const int on = 1;
  ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(config_.port);
  RequireLoopback(config_.address);  // never anything but loopback
  ::inet_pton(AF_INET, config_.address.c_str(), &address.sin_addr);
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.get(), 128) != 0)
    throw std::runtime_error("cannot listen on " + config_.address + ":" +
                             std::to_string(config_.port) + ": " + std::strerror(errno));
  listener_ = std::move(fd);
  loop_.Watch(listener_.get(), EPOLLIN, [this](uint32_t) { AcceptAll(); });
}

void Panel::StopListening() {
  if (!listener_.valid()) return;
  loop_.Unwatch(listener_.get());
  listener_.Reset();
}

void Panel::AcceptAll() {
  for (;;) {
    const int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN, or out of descriptors: the host retries
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const uint64_t id = next_connection_id_++;
    connections_[id] = std::make_unique<AdbConnection>(loop_, platform::UniqueFd(fd), *this, id);
  }
}

void Panel::OnConnectionClosed(uint64_t connection_id) {
  // The connection may be running one of its own callbacks right now.
  loop_.After(0, [this, connection_id] { connections_.erase(connection_id); });
}

void Panel::DropAllConnections() {
  std::vector<AdbConnection*> live;
  for (auto& [id, connection] : connections_) live.push_back(connection.get());
  for (AdbConnection* connection : live) connection->Shutdown();
  followers_.clear();
}

std::string Panel::Banner() const {
  return "device::ro.product.name=" + props_.at("ro.product.name") +
         ";ro.product.model=" + config_.model +
         ";ro.product.device=" + props_.at("ro.product.device") +
         ";features=" + (config_.shell_v2 ? "shell_v2" : "");
}

std::unique_ptr<Service> Panel::OpenService(const std::string& name) {
  return CreateService(name, *this);
}

ShellFault Panel::FaultFor(const std::string& command) const {
  const auto listed = [&command](const std::vector<std::string>& commands) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
  };
  if (listed(config_.faults.never_answer)) return ShellFault::kNeverAnswer;
  if (listed(config_.faults.endless_output)) return ShellFault::kEndlessOutput;
  return ShellFault::kNone;
}

std::string Panel::PropOutput(const std::string& name) const {
  auto it = props_.find(name);
  std::string value = it == props_.end() ? std::string() : it->second;
  const auto& garbled = config_.faults.non_utf8_props;
  if (std::find(garbled.begin(), garbled.end(), name) != garbled.end()) value += kInvalidUtf8;
  return value;
}

void Panel::SetProp(const std::string& name, const std::string& value) {
  setprops_.emplace_back(name, value);
  if (name == "ctl.stop" || name == "ctl.start" || name == "ctl.restart") {
    if (value == "qnhmi") {
      hmi_running_ = name != "ctl.stop";
      AppendLog("init", (hmi_running_ ? "Starting service 'qnhmi'" : "Service 'qnhmi' stopped"));
      if (hmi_running_) MaybeStartUpgrade();
    }
  } else {
    props_[name] = value;
  }
  WriteState();
}

void Panel::RecordCommand(const std::string& command) {
  commands_.push_back(command);
  if (commands_.size() > kMaxCommands) commands_.pop_front();
  WriteState();
}

void Panel::OnFilePushed(const std::string& device_path, uint64_t size) {
  pushed_.push_back({device_path, size});
  RecordCommand("push " + device_path);
}

void Panel::AddLogFollower(LogFollower* follower) {
  followers_.push_back(follower);
  if (upgrade_waiting_for_log_) {
    const std::string target = *upgrade_waiting_for_log_;
    upgrade_waiting_for_log_.reset();
    ScheduleUpgrade(config_.timing.enter_ms, true, target);
  }
}

void Panel::RemoveLogFollower(LogFollower* follower) {
  followers_.erase(std::remove(followers_.begin(), followers_.end(), follower), followers_.end());
}

void Panel::AppendLog(const std::string& tag, const std::string& message) {
  const std::string line = LogTimestamp() + "  1234  1290 I " + tag + ": " + message + "\n";
  log_ += line;
  if (log_.size() > kMaxLogBytes) {
    const size_t cut = log_.find('\n', log_.size() - kMaxLogBytes);
    log_.erase(0, cut == std::string::npos ? log_.size() : cut + 1);
  }
  // A follower's send may end its connection, which removes followers.
  const std::vector<LogFollower*> snapshot = followers_;
  for (LogFollower* follower : snapshot)
    if (std::find(followers_.begin(), followers_.end(), follower) != followers_.end())
      follower->OnLogBytes(line);
}

void Panel::Boot() {
  AppendLog("init", "boot completed");
  if (config_.faults.non_utf8_log) AppendLog("kernel", std::string("noise ") + kInvalidUtf8);
  AppendLog("QnHmi", "hmi started, project " + props_["ro.app.name"] + " version " +
                         props_["ro.app.version"]);
}

void Panel::MaybeStartUpgrade() {
  if (upgrading_ || props_["sys.qnupgrade.flag"] != "255") return;
  const auto dir = MapDevicePath(files_root_, props_["sys.qnupgrade.dir"]);
  if (!dir || !HasRegularFile(*dir)) return;
  std::string target = props_["ro.app.version"];  // a logo-only upgrade keeps it
  if (fs::exists(*dir + "/update.img")) {
    const std::string named = ImageVersion(*dir + "/update.img");
    if (!named.empty()) target = named;
    else if (!config_.upgrade_version.empty()) target = config_.upgrade_version;
  }
  // A real upgrade runs for minutes, long after the tool started following
  // the log; with the simulator's short timing the upgrade instead waits for
  // a follower, so that no client races it to the success line.
  if (followers_.empty()) {
    upgrading_ = true;
    upgrade_waiting_for_log_ = target;
    return;
  }
  ScheduleUpgrade(config_.timing.enter_ms, true, target);
}

void Panel::Then(int64_t& at_ms, std::function<void()> step) {
  upgrade_timers_.push_back(loop_.After(at_ms, std::move(step)));
}

void Panel::ScheduleUpgrade(int64_t first_delay_ms, bool announce, const std::string& new_version) {
  upgrading_ = true;
  const PanelTiming& timing = config_.timing;
  const PanelFaults& faults = config_.faults;
  const std::string old_version = props_["ro.app.version"];
  int64_t at = first_delay_ms;
  if (announce) {
    Then(at, [this] { AppendLog("QnHmi", "Enter upgrade..."); });
    at += timing.step_ms;
    Then(at, [this] { AppendLog("QnUpgrade", "startUpgrade"); });
    at += timing.step_ms;
    if (faults.drop_mid_logcat) {
      Then(at, [this, old_version] { Reboot(old_version, false); });
      return;
    }
    if (faults.power_cut_during_upgrade) {
      Then(at, [this, old_version] { PowerCut(old_version, false); });
      return;
    }
  }
  static const char* const kParts[] = {"boot", "system", "vendor", "logo", "recovery"};
  for (int i = 0; i < timing.parts; ++i) {
    const std::string part = kParts[i % 5];
    Then(at, [this, part, i] {
      AppendLog("QnUpgrade", "write part: res=0 part=" + part + " (" + std::to_string(i + 1) + ")");
      if (config_.faults.non_utf8_log) AppendLog("QnUpgrade", std::string("dump ") + kInvalidUtf8);
    });
    at += timing.step_ms;
  }
  if (faults.upgrade_fails) {
    Then(at, [this] { AppendLog("QnUpgrade", "write part: res=-5 part=userdata"); });
    at += timing.step_ms;
    Then(at, [this] { AppendLog("QnUpgrade", "upgrade failed, error -5"); });
    at += timing.step_ms;
    Then(at, [this, old_version] { Reboot(old_version, false); });
    return;
  }
  // What follows the success line is timed from the moment it was logged:
  // on a busy machine late timers would otherwise fire together and the line
  // would never leave before the connections drop.
  Then(at, [this, new_version, old_version] {
    ++successes_logged_;
    AppendLog("QnUpgrade", "upgrade success, will reboot system!");
    int64_t after = config_.timing.step_ms;
    if (config_.faults.power_cut_after_success) {
      Then(after, [this, new_version] { PowerCut(new_version, true); });
    } else if (config_.faults.success_keeps_version) {
      Then(after, [this, old_version] { Reboot(old_version, false); });
    } else {
      Then(after, [this, new_version] { Reboot(new_version, true); });
    }
  });
}

void Panel::CancelUpgrade() {
  for (EventLoop::TimerId id : upgrade_timers_) loop_.Cancel(id);
  upgrade_timers_.clear();
  upgrade_waiting_for_log_.reset();
  upgrading_ = false;
}

void Panel::ClearVolatileState() {
  // What a reboot forgets: the log, the properties set at run time and /tmp.
  log_.clear();
  for (auto it = props_.begin(); it != props_.end();) {
    if (it->first.rfind("sys.", 0) == 0 && !config_.props.count(it->first)) it = props_.erase(it);
    else ++it;
  }
  std::error_code error;
  fs::remove_all(files_root_ + "/tmp", error);
  fs::create_directories(files_root_ + "/tmp", error);
  hmi_running_ = true;
}

void Panel::RequestReboot() {
  // Let the reply that asked for it leave first.
  loop_.After(50, [this] {
    if (powered_ && !rebooting_) Reboot(props_["ro.app.version"], false);
  });
}

void Panel::Reboot(const std::string& version_after, bool upgraded) {
  CancelUpgrade();
  if (upgraded) ++upgrades_done_;
  ++reboot_count_;
  rebooting_ = true;
  StopListening();
  ClearVolatileState();
  WriteState();  // before the host can notice the drop
  DropAllConnections();
  loop_.After(config_.timing.reboot_ms, [this, version_after] {
    rebooting_ = false;
    props_["ro.app.version"] = version_after;
    Boot();
    if (!config_.faults.refuse) Listen();
    WriteState();
  });
}

void Panel::PowerCut(const std::string& version_after, bool upgraded) {
  if (!powered_) return;
  CancelUpgrade();
  if (upgraded) ++upgrades_done_;
  props_["ro.app.version"] = version_after;
  powered_ = false;
  StopListening();
  for (auto& [id, connection] : connections_) connection->Freeze();
  followers_.clear();
  WriteState();
  if (config_.faults.power_back_ms < 0) return;
  loop_.After(config_.faults.power_back_ms, [this] {
    powered_ = true;
    ++reboot_count_;
    DropAllConnections();
    ClearVolatileState();
    Boot();
    if (!config_.faults.refuse) Listen();
    WriteState();
  });
}

void Panel::WriteState() const {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
  auto str = [&w](const std::string& s) { w.String(s.data(), rapidjson::SizeType(s.size())); };
  w.StartObject();
  w.Key("address"); str(config_.address);
  w.Key("port"); w.Uint(config_.port);
  w.Key("listening"); w.Bool(listener_.valid());
  w.Key("powered"); w.Bool(powered_);
  w.Key("rebooting"); w.Bool(rebooting_);
  w.Key("upgrading"); w.Bool(upgrading_);
  w.Key("project"); str(props_.at("ro.app.name"));
  w.Key("version"); str(props_.at("ro.app.version"));
  w.Key("hmi_running"); w.Bool(hmi_running_);
  w.Key("reboot_count"); w.Int(reboot_count_);
  w.Key("upgrades_done"); w.Int(upgrades_done_);
  w.Key("successes_logged"); w.Int(successes_logged_);
  w.Key("connections"); w.Uint64(connections_.size());
  w.Key("props");
  w.StartObject();
  for (const auto& [name, value] : props_) { str(name); str(value); }
  w.EndObject();
  w.Key("setprops");
  w.StartArray();
  for (const auto& [name, value] : setprops_) {
    w.StartArray(); str(name); str(value); w.EndArray();
  }
  w.EndArray();
  w.Key("commands");
  w.StartArray();
  for (const std::string& command : commands_) str(command);
  w.EndArray();
  w.Key("pushed");
  w.StartArray();
  for (const PushedFile& file : pushed_) {
    w.StartObject();
    w.Key("path"); str(file.path);
    w.Key("size"); w.Uint64(file.size);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();

  const std::string path = panel_dir_ + "/state.json";
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(buffer.GetString(), std::streamsize(buffer.GetSize()));
    if (!out) return;  // a full disk must not stop the panels
  }
  std::rename(temp.c_str(), path.c_str());
}

}  // namespace sim
