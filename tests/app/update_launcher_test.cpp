// The build stamp and the updater hand-over: one argument, a detached
// start with neutral standard handles, and no zombie left once it ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/build_version.h"
#include "app/update_launcher.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

namespace {

namespace fs = std::filesystem;

TEST(BuildStampTest, ReadsYearMonthAndBlankPaddedDay) {
  EXPECT_EQ(BuildStampFromDate("Mar 28 2023"), L"20230328");
  EXPECT_EQ(BuildStampFromDate("Mar  5 2023"), L"20230305");
  EXPECT_EQ(BuildStampFromDate("Dec 31 1999"), L"19991231");
  // An unknown month or a short text give zeros.
  EXPECT_EQ(BuildStampFromDate("Foo 12 2020"), L"20200012");
  EXPECT_EQ(BuildStampFromDate(""), L"00000000");
  const std::wstring today = BuildStamp();
  ASSERT_EQ(today.size(), 8u);
  EXPECT_EQ(today.find_first_not_of(L"0123456789"), std::wstring::npos);
  EXPECT_TRUE(today.substr(4, 2) >= L"01" && today.substr(4, 2) <= L"12") << today.substr(4, 2);
}

class UpdaterFolder : public ::testing::Test {
 protected:
  std::string Folder() const { return temp_.path() + "/"; }

  fleetsync_test::TempFolder temp_{"fleetsync_updater"};
};

// The updater records its pid, argument count, standard handles and process
// group (its argument: the program's test reads it).
TEST_F(UpdaterFolder, PassesTheJsonAsOneArgumentDetachedAndIsReaped) {
  temp_.Write("update",
              "#!/bin/sh\n"
              "out=\"$(dirname \"$0\")/record\"\n"
              "handles=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
              "{ echo $$; echo $#; echo \"$handles\"; cut -d' ' -f5 /proc/$$/stat; } > \"$out.tmp\"\n"
              "mv \"$out.tmp\" \"$out\"\n",
              0700);
  ASSERT_TRUE(StartUpdaterIn(Folder()));

  ASSERT_TRUE(fleetsync_test::WaitUntil([&] { return fs::exists(temp_ / "record"); }));
  std::istringstream record(temp_.Read("record"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(record, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "1");
  EXPECT_EQ(lines[2], "/dev/null");
  EXPECT_EQ(lines[3], "/dev/null");
  EXPECT_EQ(lines[4], "/dev/null");
  EXPECT_EQ(lines[5], lines[0]) << "the updater leads a process group of its own";

  // Once it has ended nothing of it stays, not even a zombie.
  EXPECT_TRUE(fleetsync_test::WaitUntil([&] { return !fs::exists("/proc/" + lines[0]); }));
}

TEST_F(UpdaterFolder, MissingOrUnusableUpdaterIsSkipped) {
  EXPECT_FALSE(StartUpdaterIn(Folder()));
  temp_.Write("update", "not a program\n", 0600);
  EXPECT_FALSE(StartUpdaterIn(Folder()));
  EXPECT_FALSE(StartUpdaterIn(""));
}

}  // namespace
