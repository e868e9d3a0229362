#include "engine/device_worker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "base/text.h"
#include "engine/local_files.h"
#include "engine/log_watchdog.h"
#include "engine/reachability.h"

bool DiagnosticLineRequested() {
  const char* debug = std::getenv("FLEETSYNC_DEBUG");
  return debug != nullptr && std::strcmp(debug, "1") == 0;
}

std::uint64_t TickCountMilliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Publishes the from version and the upgrade start together and sets the
// start back to -1 on every way out of the monitoring step, so a row that
// failed while following the log does not stay "upgrading".
class DeviceWorker::MonitoringScope {
 public:
  MonitoringScope(DeviceWorker& worker, const std::wstring& from_version) : worker_(worker) {
    std::lock_guard<std::mutex> lock(worker_.lock_);
    worker_.from_version_ = from_version;
    worker_.upgrade_start_.store(WallClockSeconds(), std::memory_order_release);
  }
  ~MonitoringScope() { worker_.upgrade_start_.store(-1, std::memory_order_release); }
  MonitoringScope(const MonitoringScope&) = delete;
  MonitoringScope& operator=(const MonitoringScope&) = delete;

 private:
  DeviceWorker& worker_;
};

WorkerOptions WithAdbClient(WorkerOptions options) {
  if (!options.adb) options.adb = MakeAdbClient(options.limits);
  return options;
}

DeviceWorker::DeviceWorker(std::wstring address, UpgradeSettings settings, WorkerOptions options)
    : address_(std::move(address)),
      serial_(PanelSerial(address_)),
      settings_(std::move(settings)),
      options_(WithAdbClient(std::move(options))) {
  target_.Parse(Utf16ToUtf8(settings_.version));  // validity is the settings window's concern
}

DeviceWorker::~DeviceWorker() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void DeviceWorker::Start(PassDoneHook pass_done) {
  pass_done_ = std::move(pass_done);
  thread_ = std::thread([this] { WorkerLoop(); });
}

void DeviceWorker::Stop() {
  running_.store(false, std::memory_order_release);
  commands_.Cancel();
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (active_stream_ != nullptr) active_stream_->Cancel();
  }
  wake_.Release();
}

void DeviceWorker::WorkerLoop() {
  while (running()) {
    wake_.Acquire();
    if (!running()) break;
    const PassReport report = Upgrade();
    // A pass that ended on its own is reported even when a stop follows at
    // once: what it did to the panel belongs in the fleet record.
    if (pass_done_ && report.outcome != PassOutcome::kStopped) pass_done_(report);
  }
}

StateRecord DeviceWorker::stored_state() const {
  std::lock_guard<std::mutex> lock(lock_);
  return stored_state_;
}

StateRecord DeviceWorker::DisplayRecord() const {
  std::lock_guard<std::mutex> lock(lock_);
  const std::int64_t start = upgrade_start_.load(std::memory_order_acquire);
  if (start < 0) return stored_state_;
  return StateRecord{kStateNormal, ProgressText(from_version_, target_, WallClockSeconds() - start),
                     ClockText()};
}

void DeviceWorker::StoreState(int kind, const std::wstring& text) {
  StateRecord record{kind, text, ClockText()};
  {
    std::lock_guard<std::mutex> lock(lock_);
    stored_state_ = record;
  }
  if (observer_) observer_(record);
}

PassReport DeviceWorker::Upgrade() {
  PassReport report;
  report.address = address_;
  PassOutcome outcome = PassOutcome::kError;
  try {
    outcome = RunPass(report);
  } catch (const std::exception& error) {
    if (running()) {
      SetError(Utf8ToUtf16(error.what()));
    } else {
      outcome = PassOutcome::kStopped;  // a closed or refused command, caused by the stop
    }
  } catch (...) {
    if (running()) SetError(L"unknown error");
    else outcome = PassOutcome::kStopped;
  }
  // After an error, an upgrade (the panel reboots) or an absence, the adb
  // server may hold the panel as "offline" and retry only every 10 s; a
  // disconnect lets the next connect attach it at once.
  disconnect_before_connect_ = outcome == PassOutcome::kError ||
                               outcome == PassOutcome::kUpgraded ||
                               outcome == PassOutcome::kUpgradeFailed ||
                               outcome == PassOutcome::kUnreachable;
  last_outcome_.store(outcome, std::memory_order_release);
  report.outcome = outcome;
  report.state = stored_state().text;
  report.ended_at = WallClockSeconds();
  return report;
}

PassOutcome DeviceWorker::RunPass(PassReport& report) {
  if (ProbeReachable(Utf16ToUtf8(address_), options_.probe_port) != 0) {
    connected_.store(false, std::memory_order_release);
    SetError(FormatString(L"无法连接%s", address_.c_str()));
    return PassOutcome::kUnreachable;
  }
  connected_.store(true, std::memory_order_release);
  SetState(L"正在连接...");
  if (disconnect_before_connect_) {
    disconnect_before_connect_ = false;
    DisconnectPanel(link_);
  }
  ConnectPanel(link_);
  if (!running()) return PassOutcome::kStopped;
  connect_tick_.store(TickCountMilliseconds(), std::memory_order_release);

  const bool force = settings_.force_update;
  report.project = ReadProjectName(link_);
  const std::wstring& name = report.project;
  if (name != settings_.project && !force) {
    SetState(FormatString(L"项目名不匹配：%s", name.c_str()));
    return PassOutcome::kProjectMismatch;
  }
  report.from_version = ReadVersionText(link_);
  const std::wstring& version_text = report.from_version;
  if (version_text.empty() && !force) {
    SetState(L"未找到版本号");
    return PassOutcome::kNoVersion;
  }
  report.mac = ReadEth0Mac(link_);
  const std::wstring& mac = report.mac;
  if (options_.write_diagnostic_line) {
    // One write, so lines of parallel workers do not interleave.
    const std::string line = "EROR/: addr " + Utf16ToUtf8(mac) + "\n";
    std::fputs(line.c_str(), stderr);
  }

  Version panel_version;
  panel_version.Parse(Utf16ToUtf8(version_text));
  const int order = panel_version.Compare(target_);
  const bool held = reflash_guard_.Identified(mac, order < 0);
  if (!force && order == 0) {
    SetState(FormatString(L"已经是最新版本：%s", version_text.c_str()));
    return PassOutcome::kCurrent;
  }
  if (!force && order > 0) {
    SetState(FormatString(L"该设备版本高于升级版本:  %s", version_text.c_str()));
    return PassOutcome::kNewer;
  }
  if (force && finished_macs_.count(mac) != 0) {
    SetState(FormatString(L"该设备已完成升级，当前版本 %s", version_text.c_str()));
    return PassOutcome::kFinishedByForce;
  }
  if (held) {
    SetError(FormatString(L"升级后版本未变化：%s", version_text.c_str()));
    return PassOutcome::kVersionUnchanged;
  }
  finished_macs_.erase(mac);
  return StageAndFollow(report);
}

PassOutcome DeviceWorker::StageAndFollow(PassReport& report) {
  if (settings_.update_file.empty() && settings_.boot_logo.empty()) {
    SetState(L"必须设置升级文件或者开机LOGO");
    return PassOutcome::kNothingToSend;
  }
  // Checked before anything reaches the panel: a file found unusable only at
  // its push would leave the HMI stopped and the screen dark.
  const std::wstring file_problem = StagedFilesProblem(settings_);
  if (!file_problem.empty()) {
    SetError(file_problem);
    return PassOutcome::kFileUnusable;
  }
  report.staged = true;
  SetState(L"准备升级（设备可能会短暂黑屏）...");
  // A panel whose log already shows an upgrade is only followed: staging
  // again would restart the upgrade it is in the middle of.
  if (!LogShowsUpgradeUnderway(DumpLog(link_))) {
    StopHmiService(link_);
    MakeStagingFolder(link_);
    if (!settings_.update_file.empty()) PushUpdateImage(link_, settings_.update_file);
    if (!settings_.boot_logo.empty()) PushBootLogo(link_, settings_.boot_logo);
    SetUpgradeFolder(link_);
    SetUpgradeFlag(link_);
    SetUpgradeForce(link_);
    RestartHmiService(link_);
  }

  bool succeeded = false;
  {
    MonitoringScope monitoring(*this, report.from_version);
    SetState(L"升级中 ...");
    succeeded = FollowLog().ShowsUpgradeSuccess();
  }  // upgrade start is -1 again before the final state is reported
  if (!running()) return PassOutcome::kStopped;
  SetState(succeeded ? L"升级结束" : L"升级失败");
  if (succeeded) {
    reflash_guard_.UpgradeSucceeded(report.mac);
    if (settings_.force_update) finished_macs_.insert(report.mac);
  }
  return succeeded ? PassOutcome::kUpgraded : PassOutcome::kUpgradeFailed;
}

LogMarkerScanner DeviceWorker::FollowLog() {
  adb::CancelGroup stream;
  {
    std::lock_guard<std::mutex> lock(lock_);
    active_stream_ = &stream;
    if (!running()) stream.Cancel();  // a Stop() that came just before
  }
  struct Unregister {
    DeviceWorker& worker;
    ~Unregister() {
      std::lock_guard<std::mutex> lock(worker.lock_);
      worker.active_stream_ = nullptr;
    }
  } unregister{*this};

  LogWatchdog watchdog(Utf16ToUtf8(address_), options_.probe_port, options_.log_watchdog_limit,
                       options_.log_watchdog_interval, stream);
  LogMarkerScanner markers;
  try {
    const CommandResult ended = StreamLog(PanelLink{serial_, options_.adb.get(), &stream, options_.limits, &panel_features_},
                                          [&markers](std::wstring_view text) { markers.Feed(text); });
    // adb could not attach the stream at all (the panel rebooted between the
    // dump and the follow, say): nothing was followed, so nothing says the
    // upgrade failed - the next pass sees where the panel stands.
    if (ended.exit_code != 0 && !markers.ShowsUpgradeUnderway()) {
      throw std::runtime_error(Utf16ToUtf8(FormatString(L"adb -s %s shell logcat failed, return value %d",
                                                        serial_.c_str(), ended.exit_code)));
    }
  } catch (const CommandInterrupted&) {
    // A stop ends the pass. The watchdog (the panel stopped answering) and
    // the follow limit end only the stream: what it showed until then
    // decides, so a panel that lost power right after its success line is
    // not reported failed and, when forced, not flashed again.
    if (!running()) throw;
  }
  return markers;
}
