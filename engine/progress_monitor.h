// Judging an upgrade from the panel's log, and the texts a row shows.
//
// The panels report nothing but their log, so an upgrade is judged by fixed
// marker lines found anywhere in captured output (plain substrings of the
// whole text, case-sensitive, in no particular order). Pure functions; any
// thread may call them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/command_runner.h"
#include "engine/version.h"

// What a device row shows: kind 0 normal ("black"), 1 error ("red"), the
// state text and the local clock time ("%02d:%02d:%02d") it was set at.
struct StateRecord {
  int kind = 0;
  std::wstring text;
  std::wstring time;

  bool operator==(const StateRecord&) const = default;
};

inline constexpr int kStateNormal = 0;
inline constexpr int kStateError = 1;

// True when the log shows an upgrade already under way on the panel: any of
// "startUpgrade", "write part: res", "Enter upgrade...".
bool LogShowsUpgradeUnderway(const CommandResult& result);

// True when the log shows a finished upgrade: all of "startUpgrade",
// "write part: res" and "upgrade success, will reboot system!".
bool LogShowsUpgradeSuccess(const CommandResult& result);

// The same judgement over a log fed in pieces of any size (a followed log that
// may run to hundreds of MB): remembers which markers it has seen and keeps
// only the last few characters, so a marker cut by a piece boundary is found.
class LogMarkerScanner {
 public:
  void Feed(std::wstring_view text);
  bool ShowsUpgradeUnderway() const;
  bool ShowsUpgradeSuccess() const;

 private:
  std::wstring tail_;   // the end of what was fed, shorter than the longest marker
  unsigned seen_ = 0;  // one bit per marker
};

// The local time now, "%02d:%02d:%02d" (thread-safe: localtime_r).
std::wstring ClockText();
// The same for a given time (seconds since 1970).
std::wstring ClockText(std::int64_t seconds_since_epoch);

// "正在升级  <from> => <target>  <elapsed>s  ..." (two blanks around the
// arrow's neighbours as quoted; the target printed by Version::ToString).
std::wstring ProgressText(const std::wstring& from_version, const Version& target,
                          std::int64_t elapsed_seconds);

// Wall-clock seconds since 1970, 64 bits (no 2038 wrap).
std::int64_t WallClockSeconds();
