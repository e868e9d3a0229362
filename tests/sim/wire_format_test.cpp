// Shell word splitting, device paths and the push rate limit (message and
// shell_v2 framing are shown by Debian's adb talking to the simulator).
#include <gtest/gtest.h>

#include "sim/device_files.h"
#include "sim/rate_limiter.h"
#include "sim/shell_words.h"

namespace sim {
namespace {

std::vector<std::string> Texts(const std::string& line) {
  std::vector<std::string> out;
  for (const ShellWord& w : SplitShellWords(line)) out.push_back(w.is_operator ? "<" + w.text + ">" : w.text);
  return out;
}

TEST(ShellWordsTest, QuotesEscapesAndOperators) {
  // What the pass sends through Debian's adb (getprop, `logcat -d`) is read
  // by every end-to-end pass against the simulator.
  EXPECT_EQ(Texts("a&&b||c ; 'x y'\"z\"\\ w"),
            (std::vector<std::string>{"a", "<&&>", "b", "<||>", "c", "<;>", "x yz w"}));
  EXPECT_EQ(Texts("''"), (std::vector<std::string>{""}));
  EXPECT_EQ(Texts("'unterminated"), (std::vector<std::string>{"unterminated"}));
}

TEST(DevicePathTest, MapsAbsolutePathsAndNeverLeavesTheRoot) {
  EXPECT_EQ(MapDevicePath("/r", "/tmp/fleet-sync/update.img"), "/r/tmp/fleet-sync/update.img");
  EXPECT_EQ(MapDevicePath("/r", "//tmp/./x/"), "/r/tmp/x");
  EXPECT_EQ(MapDevicePath("/r", "/"), "/r");
  EXPECT_FALSE(MapDevicePath("/r", "/tmp/../../etc/passwd"));
  EXPECT_FALSE(MapDevicePath("/r", "relative"));
  EXPECT_FALSE(MapDevicePath("/r", ""));
  EXPECT_FALSE(MapDevicePath("/r", std::string("/a\0b", 4)));
}

TEST(RateLimiterTest, GrantsABurstThenRefillsWithTime) {
  RateLimiter limit(10000);  // bursts of 1000 bytes
  EXPECT_EQ(limit.Available(0), 1000u);
  limit.Consume(1000);
  EXPECT_EQ(limit.Available(0), 0u);
  EXPECT_EQ(limit.Available(50), 500u);
  // Short intervals still add up.
  limit.Consume(500);
  for (int t = 51; t <= 60; ++t) limit.Available(t);
  EXPECT_EQ(limit.Available(60), 100u);
  EXPECT_EQ(RateLimiter(0).Available(0), SIZE_MAX);
}

}  // namespace
}  // namespace sim
