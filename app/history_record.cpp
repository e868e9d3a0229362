#include "app/history_record.h"

#include <ctime>

#include "base/text.h"

std::string_view HistoryOutcomeName(PassOutcome outcome) {
  switch (outcome) {
    case PassOutcome::kNone:
    case PassOutcome::kStopped: return {};
    case PassOutcome::kUnreachable: return "unreachable";
    case PassOutcome::kProjectMismatch: return "project_mismatch";
    case PassOutcome::kNoVersion: return "no_version";
    case PassOutcome::kCurrent: return "current";
    case PassOutcome::kNewer: return "newer";
    case PassOutcome::kFinishedByForce: return "finished_by_force";
    case PassOutcome::kNothingToSend: return "nothing_to_send";
    case PassOutcome::kError:
    // The record's outcomes are a fixed list readers filter on; the state
    // column names the unusable file.
    case PassOutcome::kFileUnusable: return "error";
    case PassOutcome::kUpgraded: return "upgraded";
    case PassOutcome::kUpgradeFailed: return "upgrade_failed";
    case PassOutcome::kVersionUnchanged: return "version_unchanged";
  }
  return {};
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string LocalDateTimeText(std::int64_t seconds_since_epoch) {
  const std::time_t when = static_cast<std::time_t>(seconds_since_epoch);
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return "0000-00-00 00:00:00";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string HistoryLine(const PassReport& report, const std::wstring& to_version) {
  std::string line = LocalDateTimeText(report.ended_at);
  for (const std::wstring* field : {&report.address, &report.mac, &report.project,
                                    &report.from_version, &to_version}) {
    line += ',';
    line += CsvField(Utf16ToUtf8(*field));
  }
  line += ',';
  line += HistoryOutcomeName(report.outcome);
  line += ',';
  line += CsvField(Utf16ToUtf8(report.state));
  line += '\n';
  return line;
}
