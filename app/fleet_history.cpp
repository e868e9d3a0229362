#include "app/fleet_history.h"

#include "app/history_record.h"
#include "base/message_loop_proxy.h"
#include "base/text.h"

FleetHistory::FleetHistory(std::wstring path, FailureHook on_failure, std::size_t max_waiting)
    : file_(std::move(path), kHistoryHeader),
      on_failure_(std::move(on_failure)),
      max_waiting_(max_waiting) {
  if (writer_thread_.Start()) writer_ = writer_thread_.message_loop_proxy();
}

FleetHistory::~FleetHistory() { writer_thread_.Stop(); }

void FleetHistory::BeginRun(std::wstring to_version) {
  std::lock_guard<std::mutex> lock(mutex_);
  to_version_ = std::move(to_version);
  previous_.clear();
}

void FleetHistory::Record(const PassReport& report) {
  if (HistoryOutcomeName(report.outcome).empty()) return;
  std::string line;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    PassOutcome& previous = previous_[report.address];
    const bool changed = previous != report.outcome;
    previous = report.outcome;
    if (!changed && !report.staged) return;
    line = HistoryLine(report, to_version_);
  }
  if (waiting_.fetch_add(1) < max_waiting_ && writer_ &&
      writer_->PostTask([this, line = std::move(line)] { Write(line); })) {
    return;
  }
  waiting_.fetch_sub(1);
  ReportFailure("records dropped: " + Utf16ToUtf8(path()) + " is not being written");
}

void FleetHistory::Write(const std::string& line) {
  std::string error;
  if (file_.Append(line, &error)) {
    failing_.store(false);
  } else {
    ReportFailure(error);
  }
  waiting_.fetch_sub(1);
}

void FleetHistory::ReportFailure(const std::string& reason) {
  if (!failing_.exchange(true) && on_failure_) on_failure_(reason);
}
