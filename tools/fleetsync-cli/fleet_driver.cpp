#include "tools/fleetsync-cli/fleet_driver.h"

#include <memory>
#include <mutex>

#include "app/fleet_history.h"
#include "base/text.h"
#include "engine/child_registry.h"
#include "engine/device_worker.h"
#include "tools/fleetsync-cli/fleet_summary.h"
#include "tools/fleetsync-cli/fleet_tracker.h"
#include "tools/fleetsync-cli/pass_timer.h"

namespace {

using namespace std::chrono_literals;

// One line per change of a panel's state. "正在连接..." opens every pass and
// is always followed by another report, so it is not printed: a panel that
// stays current, or stays unreachable, then prints nothing further. Verbose:
// every report, so each pass can be followed from its "正在连接..." on.
class StatePrinter {
 public:
  StatePrinter(std::size_t panels, bool every_report, std::FILE* out)
      : last_(panels), every_report_(every_report), out_(out) {}

  void Report(std::size_t index, const DeviceWorker& worker, const StateRecord& record) {
    if (record.text == L"正在连接..." && !every_report_) return;
    std::wstring text = record.text;
    if (worker.upgrade_start() >= 0) text = worker.DisplayRecord().text;
    std::lock_guard<std::mutex> lock(mutex_);
    // The clock differs on every report, so only kind and text tell a change.
    const bool same = last_[index].kind == record.kind && last_[index].text == record.text;
    if (same && !every_report_) return;
    last_[index] = record;
    Print(worker.address(), record.time, (record.kind == kStateError ? L"! " : L"") + text);
  }

  void Print(const std::wstring& address, const std::wstring& time, const std::wstring& text) {
    const std::string line = Utf16ToUtf8(FormatString(L"%-15s %s %s\n", address.c_str(),
                                                      time.c_str(), text.c_str()));
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
  }

  void Summary(const std::wstring& address, const char* verdict) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(out_, "%-15s %s\n", Utf16ToUtf8(address).c_str(), verdict);
  }

 private:
  std::mutex mutex_;
  std::vector<StateRecord> last_;  // last printed per panel
  const bool every_report_;
  std::FILE* out_;
};

bool WaitForStopSignal(const sigset_t& stop_signals, std::chrono::milliseconds wait) {
  timespec timeout{0, static_cast<long>(wait.count()) * 1'000'000};
  return sigtimedwait(&stop_signals, nullptr, &timeout) > 0;
}

}  // namespace

int RunFleet(const UpgradeSettings& settings, const std::vector<std::wstring>& addresses,
             const CliOptions& options, const sigset_t& stop_signals, std::FILE* out) {
  WorkerOptions worker_options;
  worker_options.write_diagnostic_line = options.verbose || DiagnosticLineRequested();
  // One adb client for every worker: a server found missing is started once.
  worker_options = WithAdbClient(worker_options);

  StatePrinter printer(addresses.size(), options.verbose, out);
  FleetTracker tracker(addresses.size(), options.unreachable_timeout, options.attempts);
  FleetSummary summary(addresses);
  std::unique_ptr<FleetHistory> history;
  if (!options.no_history) {
    history = std::make_unique<FleetHistory>(
        Utf8ToUtf16(options.history_path), [](const std::string& reason) {
          std::fprintf(stderr, "fleetsync-cli: fleet record not written: %s (upgrades go on)\n",
                       reason.c_str());
        });
    history->BeginRun(settings.version);
  }
  PassTimer timer;
  std::vector<std::unique_ptr<DeviceWorker>> workers;
  workers.reserve(addresses.size());
  for (std::size_t index = 0; index < addresses.size(); ++index) {
    auto worker = std::make_unique<DeviceWorker>(addresses[index], settings, worker_options);
    const DeviceWorker* self = worker.get();
    worker->SetStateObserver(
        [&printer, self, index](const StateRecord& record) { printer.Report(index, *self, record); });
    workers.push_back(std::move(worker));
  }

  bool interrupted = false;
  try {
    for (std::size_t index = 0; index < workers.size(); ++index) {
      DeviceWorker* self = workers[index].get();
      self->Start([&, self, index](const PassReport& report) {
        if (history) history->Record(report);
        summary.Record(index, report);
        const PanelVerdict verdict =
            tracker.Record(index, report.outcome, FleetTracker::Clock::now());
        if (!options.once || verdict == PanelVerdict::kPending) timer.Schedule(*self, 1s);
      });
    }
    for (;;) {
      if (WaitForStopSignal(stop_signals, 200ms)) {
        interrupted = true;
        break;
      }
      if (options.once && tracker.AllFinal()) break;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fleetsync-cli: %s\n", error.what());
    interrupted = true;
  }

  // Stop first (closes each worker's adb connections and refuses new ones),
  // then end whatever child this program still runs (a server start), then
  // join. The adb server and other programs' sessions on it are left alone.
  for (auto& worker : workers) worker->Stop();
  EndAllChildren();
  timer.Shutdown();
  workers.clear();
  history.reset();  // writes what is still queued

  if (interrupted) return kInterruptedExit;
  for (std::size_t index = 0; index < addresses.size(); ++index) {
    printer.Summary(addresses[index], VerdictName(tracker.verdict(index)));
  }
  if (options.summary) {
    std::fputs(summary.Table([&tracker](std::size_t index) { return tracker.verdict(index); }).c_str(),
               out);
  }
  return tracker.ExitCode();
}
