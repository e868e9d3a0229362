// One panel's upgrade worker: the panel's fields, its upgrade pass and the
// thread that repeats the pass about once a second.
//
// Ownership: the owner (a GUI device row, or the command-line driver) owns the
// worker; the worker owns its thread, its wake semaphore and the cancel
// groups of the adb commands it runs, and shares the adb client of its
// options. The destructor stops the worker and joins the thread, so it blocks
// until the pass in progress has ended - which Stop() makes prompt by closing
// this worker's adb connections and refusing new ones.
//
// Threads:
//   - Construction, Start(), Stop() and destruction: the owner's thread (the
//     UI thread for a row). Never destroy a worker on its own thread.
//   - Upgrade(), the pass-done hook and the state observer run on the worker
//     thread (or on the caller's thread when a test calls Upgrade() directly
//     on a worker that was not started).
//   - Wake() and every const accessor: any thread. address, serial, settings
//     and target never change after construction. running, connected, connect
//     tick, upgrade start and the last outcome are atomics. The stored state
//     record and the from version are guarded by the worker's lock and handed
//     out as copies; DisplayRecord() reads upgrade start and from version
//     together under that lock, so a reader never sees a from version that a
//     new monitoring step is rewriting.
//
// Pacing: the worker runs one pass per release of its wake semaphore (count 1,
// maximum 1: extra wakes before a pass are one wake). It starts released, so
// the first pass runs at once. After each pass it calls the pass-done hook
// (also for a pass that ended just before a stop, never for one that a stop
// cut short); the owner arranges for Wake() about a second later (the GUI
// posts a weak closure to the UI thread; the driver uses its own timer). A
// hook that does not wake the worker leaves it waiting until Wake() or
// Stop().
//
// Stop: clears running, cancels every adb command of this worker for good (a
// blocked command ends at once and any later command fails without starting)
// and wakes the thread, which then ends without another pass. Nothing the pass
// does after a stop changes the stored state.
//
// Bounds: every adb command runs under the bound panel_commands.h gives it
// from `limits`; a command that breaks it ends the pass in red, and the next
// pass tries again.
//
// Following the log: "shell logcat" runs in a group of its own, watched by a
// LogWatchdog, and only the markers it shows are kept. A panel that stops
// answering the reachability probe for `log_watchdog_limit` (power cut without
// closing the connection, which the adb server never notices) has its stream
// ended, as has one still streaming after `limits.follow_limit`; either way
// the log captured until then decides: the success markers mean "升级结束"
// (a panel may lose power right after logging them), anything else "升级失败".
// A stream adb could not attach (it failed before showing any marker) is an
// error in red, not a failed upgrade.
//
// Before staging, every configured file must be one adb can push
// (local_files.h); otherwise the pass ends in red and the panel is not
// touched. A panel that reported success but keeps coming back below the
// target is held by a ReflashGuard and shown "升级后版本未变化：%s" in red.
//
// Reconnecting: after a pass that ended in an error, a finished or
// failed upgrade (the panel reboots) or an unreachable panel, the next pass
// that reaches the panel runs "adb disconnect" before "adb connect". The adb
// server keeps a dropped panel "offline" and retries it only every 10 s (a
// connect that never completed leaves it offline for good), and every command
// fails meanwhile; disconnecting first attaches the panel at once. Panels
// that stay current are not disconnected.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "engine/adb/cancel_group.h"
#include "engine/command_limits.h"
#include "engine/panel_commands.h"
#include "engine/progress_monitor.h"
#include "engine/reflash_guard.h"
#include "engine/upgrade_settings.h"
#include "engine/version.h"
#include "engine/wake_semaphore.h"

// How a pass ended (what its last state report was).
enum class PassOutcome {
  kNone,             // no pass has ended yet
  kStopped,          // ended by Stop(); the stored state is left as it was
  kUnreachable,      // "无法连接%s"
  kProjectMismatch,  // "项目名不匹配：%s"
  kNoVersion,        // "未找到版本号"
  kCurrent,          // "已经是最新版本：%s"
  kNewer,            // "该设备版本高于升级版本:  %s"
  kFinishedByForce,  // "该设备已完成升级，当前版本 %s"
  kNothingToSend,    // "必须设置升级文件或者开机LOGO"
  kError,            // an adb or process error, shown in red
  kUpgraded,         // "升级结束"
  kUpgradeFailed,    // "升级失败"
  kFileUnusable,     // a configured file adb cannot push, named in red; panel untouched
  kVersionUnchanged, // "升级后版本未变化：%s" in red: upgrades "succeed" without effect
};

// True when FLEETSYNC_DEBUG is "1": the per-pass diagnostic line is wanted.
bool DiagnosticLineRequested();

struct WorkerOptions {
  int probe_port = 5555;
  std::chrono::milliseconds log_watchdog_limit = std::chrono::seconds(15);
  std::chrono::milliseconds log_watchdog_interval = std::chrono::seconds(1);
  CommandLimits limits;
  // The adb server's client, shared by the owner's workers so that a server
  // found missing is started once; null: the worker makes one of its own (on
  // the port ANDROID_ADB_SERVER_PORT names).
  std::shared_ptr<adb::Client> adb;
  // Write the per-pass line "EROR/: addr <mac>" to standard error (one line
  // per panel per pass: only when asked for).
  bool write_diagnostic_line = DiagnosticLineRequested();
};

// `options` with an adb client made for them when they name none. Workers
// given the result share that client.
WorkerOptions WithAdbClient(WorkerOptions options);

// What one pass found and how it ended, handed to the pass-done hook. Fields
// the pass did not get to are empty.
struct PassReport {
  std::wstring address;
  std::wstring mac;           // eth0 of the panel
  std::wstring project;       // the panel's project name, as it reported it
  std::wstring from_version;  // the panel's version at the start of the pass
  PassOutcome outcome = PassOutcome::kNone;
  std::wstring state;         // the state text the row shows after the pass
  // The pass went past "准备升级": it staged an upgrade, or followed one that
  // was already under way.
  bool staged = false;
  std::int64_t ended_at = 0;  // seconds since 1970
};

// Milliseconds of a monotonic clock (the connect tick's unit).
std::uint64_t TickCountMilliseconds();

class DeviceWorker {
 public:
  using PassDoneHook = std::function<void(const PassReport&)>;
  using StateObserver = std::function<void(const StateRecord&)>;

  // Takes the panel's address and a copy of the settings; running is true
  // from here on, so Upgrade() may be called before (or without) Start().
  DeviceWorker(std::wstring address, UpgradeSettings settings, WorkerOptions options = {});
  ~DeviceWorker();
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;

  // Called after every SetState/SetError, on the reporting thread. Set it
  // before Start().
  void SetStateObserver(StateObserver observer) { observer_ = std::move(observer); }

  // Starts the thread; the first pass runs at once. Call at most once.
  // Throws std::system_error when the thread cannot be started.
  void Start(PassDoneHook pass_done);
  void Wake() { wake_.Release(); }
  void Stop();

  // One upgrade pass on the calling thread; never throws.
  PassReport Upgrade();

  const std::wstring& address() const { return address_; }
  const std::wstring& serial() const { return serial_; }
  const UpgradeSettings& settings() const { return settings_; }
  const Version& target() const { return target_; }

  bool running() const { return running_.load(std::memory_order_acquire); }
  bool connected() const { return connected_.load(std::memory_order_acquire); }
  std::uint64_t connect_tick() const { return connect_tick_.load(std::memory_order_acquire); }
  // Seconds since 1970 when monitoring began; -1 while none is monitored.
  std::int64_t upgrade_start() const { return upgrade_start_.load(std::memory_order_acquire); }
  PassOutcome last_outcome() const { return last_outcome_.load(std::memory_order_acquire); }

  StateRecord stored_state() const;
  // What the row shows now: the progress text (stamped now) while an upgrade
  // is monitored, else the stored state.
  StateRecord DisplayRecord() const;

  // MACs whose forced upgrade this worker completed. Worker thread only (or
  // while no pass runs).
  const std::set<std::wstring>& finished_macs() const { return finished_macs_; }

 private:
  class MonitoringScope;

  void WorkerLoop();
  PassOutcome RunPass(PassReport& report);
  PassOutcome StageAndFollow(PassReport& report);
  LogMarkerScanner FollowLog();
  void SetState(const std::wstring& text) { StoreState(kStateNormal, text); }
  void SetError(const std::wstring& text) { StoreState(kStateError, text); }
  void StoreState(int kind, const std::wstring& text);

  const std::wstring address_;
  const std::wstring serial_;
  const UpgradeSettings settings_;
  const WorkerOptions options_;
  Version target_;

  std::atomic<bool> running_{true};
  std::atomic<bool> connected_{false};
  std::atomic<std::uint64_t> connect_tick_{0};
  std::atomic<std::int64_t> upgrade_start_{-1};
  std::atomic<PassOutcome> last_outcome_{PassOutcome::kNone};

  mutable std::mutex lock_;  // guards stored_state_, from_version_, active_stream_
  StateRecord stored_state_;
  std::wstring from_version_;
  adb::CancelGroup* active_stream_ = nullptr;

  // Worker thread only.
  std::set<std::wstring> finished_macs_;
  ReflashGuard reflash_guard_;
  bool disconnect_before_connect_ = false;
  StateObserver observer_;
  PassDoneHook pass_done_;

  adb::CancelGroup commands_;  // every adb command of a pass except the followed log
  adb::KnownFeatures panel_features_;
  const PanelLink link_{serial_, options_.adb.get(), &commands_, options_.limits, &panel_features_};
  WakeSemaphore wake_{true};
  std::thread thread_;
};
