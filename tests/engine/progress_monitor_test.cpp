#include "engine/progress_monitor.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Which markers a whole log needs is the log markers fuzzer's property.

// A followed log arrives in pieces of any size; a marker cut between two
// pieces still counts.
TEST(LogMarkerScanner, FindsMarkersAcrossPieces) {
  const std::wstring log =
      L"I/x: startUpgrade\nI/x: write part: res=0\nI/x: upgrade success, will reboot system!\n";
  for (const std::size_t piece : {1u, 2u, 7u, 4096u}) {
    LogMarkerScanner scanner;
    for (std::size_t at = 0; at < log.size(); at += piece) scanner.Feed(std::wstring_view(log).substr(at, piece));
    EXPECT_TRUE(scanner.ShowsUpgradeSuccess()) << piece;
  }
  LogMarkerScanner underway;
  underway.Feed(L"Enter upg");
  underway.Feed(std::wstring(100000, L'x'));  // noise between pieces does not join them
  underway.Feed(L"rade...");
  EXPECT_FALSE(underway.ShowsUpgradeUnderway());
  underway.Feed(L"Enter upg");
  underway.Feed(L"rade...");
  EXPECT_TRUE(underway.ShowsUpgradeUnderway());
  EXPECT_FALSE(underway.ShowsUpgradeSuccess());
}

TEST(ProgressText, MatchesTheRowFormat) {
  Version target;
  ASSERT_TRUE(target.Parse("1.1.0-rc.1+b7"));
  EXPECT_EQ(ProgressText(L"1.0.0", target, 100), L"正在升级  1.0.0 => 1.1.0-rc.1+b7  100s  ...");
  Version plain;
  plain.Parse("01.2.3");
  EXPECT_EQ(ProgressText(L"", plain, 0), L"正在升级   => 1.2.3  0s  ...");
  // Beyond 2038 the seconds must not wrap.
  EXPECT_EQ(ProgressText(L"1.0.0", plain, 5'000'000'000LL), L"正在升级  1.0.0 => 1.2.3  5000000000s  ...");
}

TEST(ClockText, IsLocalTimeWithTwoDigitFields) {
  std::tm noon{};
  noon.tm_year = 126, noon.tm_mon = 0, noon.tm_mday = 2;
  noon.tm_hour = 3, noon.tm_min = 4, noon.tm_sec = 5, noon.tm_isdst = -1;
  EXPECT_EQ(ClockText(static_cast<std::int64_t>(std::mktime(&noon))), L"03:04:05");
}

}  // namespace
