// The build stamp and the updater hand-over: the exact argument, a detached
// start with neutral standard handles, and no zombie left once it ends.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/build_version.h"
#include "app/update_launcher.h"

namespace {

namespace fs = std::filesystem;

TEST(BuildStampTest, ReadsYearMonthAndBlankPaddedDay) {
  EXPECT_EQ(BuildStampFromDate("Mar 28 2023"), L"20230328");
  EXPECT_EQ(BuildStampFromDate("Mar  5 2023"), L"20230305");
  EXPECT_EQ(BuildStampFromDate("Jan  1 2024"), L"20240101");
  EXPECT_EQ(BuildStampFromDate("Dec 31 1999"), L"19991231");
}

TEST(BuildStampTest, UnknownMonthAndShortTextGiveZeros) {
  EXPECT_EQ(BuildStampFromDate("Foo 12 2020"), L"20200012");
  EXPECT_EQ(BuildStampFromDate(""), L"00000000");
}

TEST(BuildStampTest, TodaysBuildHasEightDigitsAndAKnownMonth) {
  const std::wstring stamp = BuildStamp();
  ASSERT_EQ(stamp.size(), 8u);
  for (wchar_t c : stamp) EXPECT_TRUE(c >= L'0' && c <= L'9');
  const int month = std::stoi(stamp.substr(4, 2));
  EXPECT_GE(month, 1);
  EXPECT_LE(month, 12);
}

TEST(UpdaterArgumentTest, IsTheCompactJsonByteForByte) {
  EXPECT_EQ(UpdaterArgument(),
            "{\"title\":\"Lumora 批量升级工具\",\"app_name\":\"fleetsync\","
            "\"current_version\":\"1.2.1\"}");
}

class UpdaterFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fleetsync_updater_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  // An updater that records its pid, argument count, standard handles and
  // process group, and then its first argument exactly.
  void InstallRecordingUpdater() {
    const fs::path script = folder_ / "update";
    std::ofstream(script) << "#!/bin/sh\n"
                             "out=\"$(dirname \"$0\")/record\"\n"
                             "handles=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
                             "printf '%s' \"$1\" > \"$out.arg\"\n"
                             "{ echo $$; echo $#; echo \"$handles\"; "
                             "cut -d' ' -f5 /proc/$$/stat; } > \"$out.tmp\"\n"
                             "mv \"$out.tmp\" \"$out\"\n";
    fs::permissions(script, fs::perms::owner_all);
  }

  std::vector<std::string> WaitForRecord() {
    const fs::path record = folder_ / "record";
    for (int i = 0; i < 1000 && !fs::exists(record); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::string> lines;
    std::ifstream in(record);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string Folder() const { return folder_.string() + "/"; }

  fs::path folder_;
};

TEST_F(UpdaterFolder, PassesTheJsonAsOneArgumentDetachedAndIsReaped) {
  InstallRecordingUpdater();
  ASSERT_TRUE(StartUpdaterIn(Folder()));

  const std::vector<std::string> lines = WaitForRecord();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "1");
  EXPECT_EQ(lines[2], "/dev/null");
  EXPECT_EQ(lines[3], "/dev/null");
  EXPECT_EQ(lines[4], "/dev/null");
  EXPECT_EQ(lines[5], lines[0]) << "the updater leads a process group of its own";

  std::ifstream arg(folder_ / "record.arg", std::ios::binary);
  std::stringstream bytes;
  bytes << arg.rdbuf();
  EXPECT_EQ(bytes.str(), UpdaterArgument());

  // Once it has ended nothing of it stays, not even a zombie.
  const fs::path proc_entry = fs::path("/proc") / lines[0];
  for (int i = 0; i < 1000 && fs::exists(proc_entry); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(fs::exists(proc_entry));
}

TEST_F(UpdaterFolder, MissingOrUnusableUpdaterIsSkipped) {
  EXPECT_FALSE(StartUpdaterIn(Folder()));
  std::ofstream(folder_ / "update") << "not a program\n";
  fs::permissions(folder_ / "update", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(StartUpdaterIn(Folder()));
  EXPECT_FALSE(StartUpdaterIn(""));
}

}  // namespace
