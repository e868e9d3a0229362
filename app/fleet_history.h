// FleetHistory: the fleet record - which passes go into history.csv, and the
// thread that writes them there.
//
// A pass is recorded when its outcome differs from the panel's previous
// outcome in this run, and whenever it staged an upgrade (every flash is
// recorded): a panel that stays current writes one line, not one a second.
// Passes ended by a stop are not recorded.
//
// Threads: Record() may be called from any thread (the workers' pass-done
// hooks). It decides and formats the line, queues it and returns: a worker
// never waits for the disk. The lines are written in order on the record's
// own writer thread, through a HistoryFile. BeginRun() and destruction belong
// to the owner's thread; call BeginRun() while no worker records.
//
// Failures never stop anything: the failure hook is called once when writing
// starts to fail (on the writer thread), and again only after a record has
// been written since. When more than `max_waiting` lines wait for a writer
// that is stuck (a hung disk), further lines are dropped, which counts as a
// failure too (reported on the recording worker's thread).
//
// Shutdown: the destructor writes the lines still queued, then joins the
// writer thread (so it waits for a slow disk).
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "app/history_file.h"
#include "base/framework_thread.h"
#include "engine/device_worker.h"

class FleetHistory {
 public:
  // A one-line reason, in English.
  using FailureHook = std::function<void(const std::string& reason)>;

  static constexpr std::size_t kMaxWaiting = 10000;

  // Starts the writer thread; the file is opened by the first line. An empty
  // path (no data folder) makes every record fail.
  FleetHistory(std::wstring path, FailureHook on_failure, std::size_t max_waiting = kMaxWaiting);
  ~FleetHistory();
  FleetHistory(const FleetHistory&) = delete;
  FleetHistory& operator=(const FleetHistory&) = delete;

  // Starts a run towards `to_version` (the target of the settings, written in
  // every line): the previous outcomes are forgotten.
  void BeginRun(std::wstring to_version);

  // Takes a pass's report; queues its line when it is to be recorded.
  void Record(const PassReport& report);

  const std::wstring& path() const { return file_.path(); }

 private:
  void Write(const std::string& line);  // writer thread
  void ReportFailure(const std::string& reason);

  HistoryFile file_;  // writer thread only
  const FailureHook on_failure_;
  const std::size_t max_waiting_;

  std::mutex mutex_;  // guards to_version_ and previous_
  std::wstring to_version_;
  std::map<std::wstring, PassOutcome> previous_;  // by address

  std::atomic<std::size_t> waiting_{0};
  std::atomic<bool> failing_{false};

  vbase::FrameworkThread writer_thread_{L"history"};
  std::shared_ptr<vbase::MessageLoopProxy> writer_;  // null when no thread could start
};
