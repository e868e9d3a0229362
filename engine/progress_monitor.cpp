#include "engine/progress_monitor.h"

#include <algorithm>
#include <ctime>
#include <iterator>

#include "base/text.h"

namespace {

// In the order of the bits of LogMarkerScanner::seen_.
constexpr std::wstring_view kMarkers[] = {
    L"startUpgrade",
    L"write part: res",
    L"Enter upgrade...",
    L"upgrade success, will reboot system!",
};
constexpr unsigned kStartUpgrade = 1u << 0;
constexpr unsigned kWritePart = 1u << 1;
constexpr unsigned kEnterUpgrade = 1u << 2;
constexpr unsigned kUpgradeSuccess = 1u << 3;

constexpr unsigned kUnderwayMarkers = kStartUpgrade | kWritePart | kEnterUpgrade;
constexpr unsigned kSuccessMarkers = kStartUpgrade | kWritePart | kUpgradeSuccess;

unsigned MarkersIn(std::wstring_view text) {
  unsigned seen = 0;
  for (std::size_t i = 0; i < std::size(kMarkers); ++i) {
    if (text.find(kMarkers[i]) != std::wstring_view::npos) seen |= 1u << i;
  }
  return seen;
}

}  // namespace

bool LogShowsUpgradeUnderway(const CommandResult& result) {
  return (MarkersIn(result.output) & kUnderwayMarkers) != 0;
}

bool LogShowsUpgradeSuccess(const CommandResult& result) {
  return (MarkersIn(result.output) & kSuccessMarkers) == kSuccessMarkers;
}

void LogMarkerScanner::Feed(std::wstring_view text) {
  std::size_t longest = 0;
  for (std::wstring_view marker : kMarkers) longest = std::max(longest, marker.size());
  // Only the tail plus this piece is searched: a marker lies wholly in the
  // piece or starts in the tail.
  tail_.append(text);
  seen_ |= MarkersIn(tail_);
  if (tail_.size() >= longest) tail_.erase(0, tail_.size() - (longest - 1));
}

bool LogMarkerScanner::ShowsUpgradeUnderway() const { return (seen_ & kUnderwayMarkers) != 0; }

bool LogMarkerScanner::ShowsUpgradeSuccess() const {
  return (seen_ & kSuccessMarkers) == kSuccessMarkers;
}

std::wstring ClockText(std::int64_t seconds_since_epoch) {
  const std::time_t when = static_cast<std::time_t>(seconds_since_epoch);
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return L"00:00:00";
  return FormatString(L"%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

std::wstring ClockText() { return ClockText(WallClockSeconds()); }

std::wstring ProgressText(const std::wstring& from_version, const Version& target,
                          std::int64_t elapsed_seconds) {
  const std::wstring to_version = Utf8ToUtf16(target.ToString());
  return FormatString(L"正在升级  %s => %s  %llds  ...", from_version.c_str(),
                      to_version.c_str(), static_cast<long long>(elapsed_seconds));
}

std::int64_t WallClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }
