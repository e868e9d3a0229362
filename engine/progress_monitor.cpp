#include "engine/progress_monitor.h"

#include <ctime>

#include "base/text.h"

namespace {

constexpr const wchar_t* kStartUpgrade = L"startUpgrade";
constexpr const wchar_t* kWritePart = L"write part: res";
constexpr const wchar_t* kEnterUpgrade = L"Enter upgrade...";
constexpr const wchar_t* kUpgradeSuccess = L"upgrade success, will reboot system!";

bool Contains(const std::wstring& text, const wchar_t* marker) {
  return text.find(marker) != std::wstring::npos;
}

}  // namespace

bool LogShowsUpgradeUnderway(const CommandResult& result) {
  return Contains(result.output, kStartUpgrade) || Contains(result.output, kWritePart) ||
         Contains(result.output, kEnterUpgrade);
}

bool LogShowsUpgradeSuccess(const CommandResult& result) {
  return Contains(result.output, kStartUpgrade) && Contains(result.output, kWritePart) &&
         Contains(result.output, kUpgradeSuccess);
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
