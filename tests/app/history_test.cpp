// The fleet record: its lines, the file many writers share, and which passes
// it keeps. Every expectation reads the file back from disk.
#include <fcntl.h>
#include <sys/file.h>

#include <gtest/gtest.h>

#include <mutex>
#include <sstream>

#include "app/fleet_history.h"
#include "app/history_file.h"
#include "app/history_record.h"
#include "base/text.h"
#include "platform/unique_fd.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kHead =
    "\xEF\xBB\xBFtime,address,mac,project,from_version,to_version,outcome,state\n";

// "address outcome" of every record line.
std::vector<std::string> Records(const std::string& bytes) {
  std::vector<std::string> found;
  std::istringstream lines(bytes.substr(kHead.size()));
  for (std::string line, field[7]; std::getline(lines, line);) {
    std::istringstream fields(line);
    for (std::string& f : field) std::getline(fields, f, ',');
    found.push_back(field[1] + " " + field[6]);
  }
  return found;
}

PassReport Report(const wchar_t* address, PassOutcome outcome, bool staged = false) {
  PassReport report;
  report.address = address;
  report.outcome = outcome;
  report.staged = staged;
  return report;
}

TEST(HistoryLine, QuotesOnlyTheFieldsThatNeedIt) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  PassReport report = Report(L"10.0.0.7", PassOutcome::kError);
  report.mac = L"02:00:7f:00:00:07";
  report.project = L"QN \"Lobby\"";
  report.from_version = L"1.0.0";
  report.state = L"推送失败, return value 1";
  report.ended_at = 1'700'000'000;
  EXPECT_EQ(HistoryLine(report, L"1.1.0"),
            "2023-11-14 22:13:20,10.0.0.7,02:00:7f:00:00:07,\"QN \"\"Lobby\"\"\",1.0.0,1.1.0,"
            "error,\"推送失败, return value 1\"\n");
}

class HistoryFileTest : public ::testing::Test {
 protected:
  std::wstring Path(const std::string& name = "history.csv") const {
    return Utf8ToUtf16(folder_ / name);
  }
  static void Append(HistoryFile& file, const std::string& record) {
    std::string error;
    EXPECT_TRUE(file.Append(record, &error)) << error;
  }
  fleetsync_test::TempFolder folder_{"fleetsync-history"};
};

TEST_F(HistoryFileTest, HeaderOnceACutLineContinuedAndOneOldFileKept) {
  HistoryFile first(Path(), kHistoryHeader, 200);
  Append(first, "a\n");
  HistoryFile second(Path(), kHistoryHeader, 200);  // another writer: no second header
  Append(second, "b\n");
  folder_.Write("history.csv", folder_.Read("history.csv") + "cut by a cra");
  Append(first, "c\n");
  EXPECT_EQ(folder_.Read("history.csv"), kHead + "a\nb\ncut by a cra\nc\n");
  // Records of 100 bytes: a file that has reached 200 is renamed before the
  // next record, so 3 and 5 start new files and only the one before is kept.
  const std::string record(98, 'r');
  for (char n : std::string("123456")) Append(first, n + record + "\n");
  EXPECT_EQ(folder_.Read("history.1.csv"), kHead + "3" + record + "\n4" + record + "\n");
  EXPECT_EQ(folder_.Read("history.csv"), kHead + "5" + record + "\n6" + record + "\n");
  EXPECT_EQ(OldHistoryPath(L"/d.e/record"), L"/d.e/record.1");
}

class FleetHistoryTest : public HistoryFileTest {
 protected:
  FleetHistory::FailureHook CollectFailures() {
    return [this](const std::string& reason) {
      std::lock_guard<std::mutex> lock(mutex_);
      failures_.push_back(reason);
    };
  }
  std::mutex mutex_;
  std::vector<std::string> failures_;
};

TEST_F(FleetHistoryTest, RecordsChangesAndEveryStagedPassPerRun) {
  {
    FleetHistory history(Path(), CollectFailures());
    history.BeginRun(L"1.1.0");
    using O = PassOutcome;
    for (O outcome :
         {O::kUnreachable, O::kUnreachable, O::kCurrent, O::kCurrent, O::kStopped, O::kCurrent}) {
      history.Record(Report(L"10.0.0.2", outcome));
    }
    for (O outcome : {O::kUpgradeFailed, O::kUpgradeFailed, O::kUpgraded}) {
      history.Record(Report(L"10.0.0.3", outcome, true));
    }
    history.Record(Report(L"10.0.0.3", O::kCurrent));
    history.BeginRun(L"1.1.0");  // saved again: a new run
    history.Record(Report(L"10.0.0.2", O::kCurrent));
  }  // writes what is queued
  EXPECT_EQ(Records(folder_.Read("history.csv")),
            (std::vector<std::string>{"10.0.0.2 unreachable", "10.0.0.2 current",
                                      "10.0.0.3 upgrade_failed", "10.0.0.3 upgrade_failed",
                                      "10.0.0.3 upgraded", "10.0.0.3 current", "10.0.0.2 current"}));
  EXPECT_TRUE(failures_.empty());
}

// Another writer holds the file's lock, as a hung disk would hold a write:
// recording goes on at once, and lines beyond the waiting bound are dropped.
TEST_F(FleetHistoryTest, RecordingNeverWaitsForAStuckFile) {
  folder_.Write("history.csv", kHead);
  platform::UniqueFd holder(::open((folder_ / "history.csv").c_str(), O_RDONLY));
  ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0);
  {
    FleetHistory history(Path(), CollectFailures(), 3);
    for (int pass = 0; pass < 5; ++pass) {
      history.Record(Report(L"10.0.0.2", pass % 2 ? PassOutcome::kCurrent : PassOutcome::kError));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_NE(failures_[0].find("dropped"), std::string::npos) << failures_[0];
    ::flock(holder.get(), LOCK_UN);
  }
  EXPECT_EQ(Records(folder_.Read("history.csv")),
            (std::vector<std::string>{"10.0.0.2 error", "10.0.0.2 current", "10.0.0.2 error"}));
}

}  // namespace
