#include "tools/fleetsync-cli/fleet_summary.h"

#include <cstdio>
#include <map>

#include "app/history_record.h"
#include "base/text.h"

FleetSummary::FleetSummary(std::vector<std::wstring> addresses)
    : addresses_(std::move(addresses)), panels_(addresses_.size()) {}

void FleetSummary::Record(std::size_t index, const PassReport& report) {
  if (HistoryOutcomeName(report.outcome).empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  Panel& panel = panels_.at(index);
  panel.last = report.outcome;
  panel.state = report.state;
  if (report.outcome == PassOutcome::kUpgraded) panel.upgraded = true;
}

std::string FleetSummary::Table(const std::function<PanelVerdict(std::size_t)>& verdict) const {
  std::lock_guard<std::mutex> lock(mutex_);
  // Keyed by outcome, so the lines follow the order of a pass.
  std::map<PassOutcome, int> counts;
  for (const Panel& panel : panels_) {
    const bool confirmed = panel.upgraded && panel.last == PassOutcome::kCurrent;
    if (panel.last != PassOutcome::kNone) ++counts[confirmed ? PassOutcome::kUpgraded : panel.last];
  }
  std::string table;
  auto line = [&table](std::string_view name, int count) {
    char text[64];
    std::snprintf(text, sizeof text, "%-20.*s %6d\n", static_cast<int>(name.size()), name.data(),
                  count);
    table += text;
  };
  table += "outcome              panels\n";
  for (const auto& [outcome, count] : counts) line(HistoryOutcomeName(outcome), count);
  line("total", static_cast<int>(panels_.size()));
  table += "not done:\n";
  for (std::size_t index = 0; index < panels_.size(); ++index) {
    const PanelVerdict panel_verdict = verdict(index);
    if (panel_verdict == PanelVerdict::kDone) continue;
    char head[64];
    std::snprintf(head, sizeof head, "%-15s %-11s ", Utf16ToUtf8(addresses_[index]).c_str(),
                  VerdictName(panel_verdict));
    table += head + Utf16ToUtf8(panels_[index].state) + "\n";
  }
  return table;
}
