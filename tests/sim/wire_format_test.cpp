// Message headers, shell_v2 framing, shell word splitting and device paths.
#include <gtest/gtest.h>

#include "sim/adb_message.h"
#include "sim/device_files.h"
#include "sim/rate_limiter.h"
#include "sim/services.h"
#include "sim/shell_words.h"

namespace sim {
namespace {

TEST(AdbMessageTest, RoundTripKeepsFieldsAndSetsMagicAndChecksum) {
  std::string bytes;
  AppendMessage(bytes, kWrte, 7, 0x01020304, "ab\xff");
  ASSERT_EQ(bytes.size(), kHeaderSize + 3);
  EXPECT_EQ(bytes.substr(0, 4), "WRTE");  // little-endian command reads as text
  const auto header = DecodeHeader(bytes);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->command, kWrte);
  EXPECT_EQ(header->arg0, 7u);
  EXPECT_EQ(header->arg1, 0x01020304u);
  EXPECT_EQ(header->data_length, 3u);
  EXPECT_EQ(header->data_check, uint32_t('a' + 'b' + 0xff));
  EXPECT_EQ(bytes.substr(kHeaderSize), "ab\xff");
}

TEST(AdbMessageTest, WrongMagicOrShortHeaderIsRejected) {
  std::string bytes;
  AppendMessage(bytes, kOpen, 1, 0);
  bytes[20] ^= 1;
  EXPECT_FALSE(DecodeHeader(bytes));
  EXPECT_FALSE(DecodeHeader(std::string(23, '\0')));
  EXPECT_FALSE(IsKnownCommand(MakeCommand("XXXX")));
}

TEST(ShellPacketTest, FramesIdAndLittleEndianLength) {
  const std::string packet = ShellPacket(kShellExit, std::string(1, '\1'));
  EXPECT_EQ(packet, std::string("\x03\x01\x00\x00\x00\x01", 6));
  const std::string big = ShellPacket(kShellStdout, std::string(0x10203, 'x'));
  EXPECT_EQ(big.substr(0, 5), std::string("\x01\x03\x02\x01\x00", 5));
}

TEST(TerminalLinesTest, AddsCarriageReturnsOnlyWhereMissing) {
  EXPECT_EQ(TerminalLines("a\nb\r\n\n"), "a\r\nb\r\n\r\n");
  EXPECT_EQ(TerminalLines("no newline"), "no newline");
}

std::vector<std::string> Texts(const std::string& line) {
  std::vector<std::string> out;
  for (const ShellWord& w : SplitShellWords(line)) out.push_back(w.is_operator ? "<" + w.text + ">" : w.text);
  return out;
}

TEST(ShellWordsTest, QuotesEscapesAndOperators) {
  EXPECT_EQ(Texts("  getprop   ro.app.name "), (std::vector<std::string>{"getprop", "ro.app.name"}));
  // What adb's own `logcat -d` command sends.
  EXPECT_EQ(Texts("export ANDROID_LOG_TAGS=\"''\"; exec logcat '-d'"),
            (std::vector<std::string>{"export", "ANDROID_LOG_TAGS=''", "<;>", "exec", "logcat", "-d"}));
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
