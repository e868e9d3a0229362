// The fleet record: its lines, the file shared by many writers, and which
// passes it keeps. Every expectation reads the file back from disk.
#include <sys/file.h>
#include <fcntl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "app/fleet_history.h"
#include "app/history_file.h"
#include "app/history_record.h"
#include "base/text.h"
#include "platform/unique_fd.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

namespace {

const std::string kBomAndHeader =
    "\xEF\xBB\xBFtime,address,mac,project,from_version,to_version,outcome,state\n";

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(bytes.substr(start, end - start));
  }
  return lines;
}

// Address and outcome columns of every record line of a file.
std::vector<std::string> AddressesAndOutcomes(const std::string& bytes) {
  std::vector<std::string> found;
  for (const std::string& line : Lines(bytes.substr(kBomAndHeader.size()))) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
      fields.push_back(line.substr(start, comma - start));
    }
    found.push_back(fields.at(1) + " " + fields.at(6));
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
  PassReport report;
  report.address = L"10.0.0.7";
  report.mac = L"02:00:7f:00:00:07";
  report.project = L"QN \"Lobby\"";
  report.from_version = L"1.0.0";
  report.outcome = PassOutcome::kError;
  report.state = L"推送失败, return value 1";
  report.ended_at = 1'700'000'000;
  EXPECT_EQ(HistoryLine(report, L"1.1.0"),
            "2023-11-14 22:13:20,10.0.0.7,02:00:7f:00:00:07,\"QN \"\"Lobby\"\"\",1.0.0,1.1.0,"
            "error,\"推送失败, return value 1\"\n");
  // An unreachable panel told nothing about itself; a line break stays quoted.
  PassReport unreachable = Report(L"10.0.0.8", PassOutcome::kUnreachable);
  unreachable.state = L"无法连接\n10.0.0.8";
  EXPECT_EQ(HistoryLine(unreachable, L"1.1.0").substr(19),
            ",10.0.0.8,,,,1.1.0,unreachable,\"无法连接\n10.0.0.8\"\n");
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

TEST_F(HistoryFileTest, HeaderOnceAndACutLastLineIsContinuedOnANewLine) {
  HistoryFile first(Path(), kHistoryHeader);
  Append(first, "a\n");
  HistoryFile second(Path(), kHistoryHeader);  // another writer: no second header
  Append(second, "b\n");
  folder_.Write("history.csv", folder_.Read("history.csv") + "cut by a cra");
  Append(first, "c\n");
  EXPECT_EQ(folder_.Read("history.csv"), kBomAndHeader + "a\nb\ncut by a cra\nc\n");
}

TEST_F(HistoryFileTest, FullFileIsRenamedAndOnlyOneOldFileKept) {
  EXPECT_EQ(OldHistoryPath(L"/d/history.csv"), L"/d/history.1.csv");
  EXPECT_EQ(OldHistoryPath(L"/d.e/record"), L"/d.e/record.1");
  const std::string record(99, 'r');
  HistoryFile file(Path(), kHistoryHeader, 300);
  for (char n = '1'; n <= '7'; ++n) Append(file, n + record.substr(1) + "\n");
  // 66 header bytes + 3 records pass 300; the 4th and the 7th start new files.
  auto records = [&](std::string numbers) {
    std::string bytes = kBomAndHeader;
    for (char n : numbers) bytes += n + record.substr(1) + "\n";
    return bytes;
  };
  EXPECT_EQ(folder_.Read("history.1.csv"), records("456"));
  EXPECT_EQ(folder_.Read("history.csv"), records("7"));
}

TEST_F(HistoryFileTest, UnwritablePlaceFailsWithAReason) {
  folder_.Write("not-a-folder", "");
  HistoryFile file(Path("not-a-folder/history.csv"), kHistoryHeader);
  std::string error;
  EXPECT_FALSE(file.Append("a\n", &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

// Every writer opens the file itself, as separate programs do.
TEST_F(HistoryFileTest, RecordsOf250WritersAtOnceNeverInterleave) {
  constexpr int kWriters = 250, kRecordsEach = 4;
  std::atomic<bool> go{false};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      HistoryFile file(Path(), kHistoryHeader);
      while (!go) std::this_thread::yield();
      for (int r = 0; r < kRecordsEach; ++r) {
        Append(file, "w" + std::to_string(w) + " r" + std::to_string(r) + std::string(300, '.') + "\n");
      }
    });
  }
  go = true;
  for (auto& writer : writers) writer.join();

  const std::string bytes = folder_.Read("history.csv");
  ASSERT_EQ(bytes.substr(0, kBomAndHeader.size()), kBomAndHeader);
  std::set<std::string> expected, found;
  for (int w = 0; w < kWriters; ++w) {
    for (int r = 0; r < kRecordsEach; ++r) {
      expected.insert("w" + std::to_string(w) + " r" + std::to_string(r) + std::string(300, '.'));
    }
  }
  const std::vector<std::string> lines = Lines(bytes.substr(kBomAndHeader.size()));
  EXPECT_EQ(lines.size(), expected.size());
  found.insert(lines.begin(), lines.end());
  EXPECT_EQ(found, expected);
}

class FleetHistoryTest : public HistoryFileTest {
 protected:
  FleetHistory::FailureHook CountFailures() {
    return [this](const std::string& reason) {
      std::lock_guard<std::mutex> lock(mutex_);
      failures_.push_back(reason);
    };
  }
  std::vector<std::string> Failures() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }

  std::mutex mutex_;
  std::vector<std::string> failures_;
};

TEST_F(FleetHistoryTest, RecordsChangesAndEveryStagedPassPerRun) {
  {
    FleetHistory history(Path(), CountFailures());
    history.BeginRun(L"1.1.0");
    for (PassOutcome outcome : {PassOutcome::kUnreachable, PassOutcome::kUnreachable,
                                PassOutcome::kCurrent, PassOutcome::kCurrent, PassOutcome::kStopped,
                                PassOutcome::kCurrent}) {
      history.Record(Report(L"10.0.0.2", outcome));
    }
    history.Record(Report(L"10.0.0.3", PassOutcome::kUpgradeFailed, true));
    history.Record(Report(L"10.0.0.3", PassOutcome::kUpgradeFailed, true));
    history.Record(Report(L"10.0.0.3", PassOutcome::kUpgraded, true));
    history.Record(Report(L"10.0.0.3", PassOutcome::kUnreachable));
    history.Record(Report(L"10.0.0.3", PassOutcome::kCurrent));
    history.BeginRun(L"1.1.0");  // saved again: a new run
    history.Record(Report(L"10.0.0.2", PassOutcome::kCurrent));
  }  // writes what is queued
  const std::vector<std::string> expected = {
      "10.0.0.2 unreachable",    "10.0.0.2 current",     "10.0.0.3 upgrade_failed",
      "10.0.0.3 upgrade_failed", "10.0.0.3 upgraded",    "10.0.0.3 unreachable",
      "10.0.0.3 current",        "10.0.0.2 current"};
  EXPECT_EQ(AddressesAndOutcomes(folder_.Read("history.csv")), expected);
  EXPECT_TRUE(Failures().empty());
}

TEST_F(FleetHistoryTest, UnwritableFileIsReportedOnce) {
  folder_.Write("not-a-folder", "");
  {
    FleetHistory history(Path("not-a-folder/history.csv"), CountFailures());
    for (PassOutcome outcome : {PassOutcome::kUnreachable, PassOutcome::kCurrent,
                                PassOutcome::kUnreachable}) {
      history.Record(Report(L"10.0.0.2", outcome));
    }
  }
  ASSERT_EQ(Failures().size(), 1u);
  EXPECT_NE(Failures()[0].find("not-a-folder/history.csv"), std::string::npos);
}

// Another writer holds the file's lock (as a hung disk would hold a write):
// recording goes on at once, and lines beyond the waiting bound are dropped.
TEST_F(FleetHistoryTest, RecordingNeverWaitsForAStuckFile) {
  folder_.Write("history.csv", kBomAndHeader);
  platform::UniqueFd holder(::open((folder_ / "history.csv").c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0);
  {
    FleetHistory history(Path(), CountFailures(), 3);
    for (int pass = 0; pass < 5; ++pass) {
      history.Record(Report(L"10.0.0.2", pass % 2 ? PassOutcome::kCurrent : PassOutcome::kError));
    }
    ASSERT_EQ(Failures().size(), 1u);
    EXPECT_NE(Failures()[0].find("dropped"), std::string::npos) << Failures()[0];
    ::flock(holder.get(), LOCK_UN);
  }
  EXPECT_EQ(AddressesAndOutcomes(folder_.Read("history.csv")),
            (std::vector<std::string>{"10.0.0.2 error", "10.0.0.2 current", "10.0.0.2 error"}));
}

}  // namespace
