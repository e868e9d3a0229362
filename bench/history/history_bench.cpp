// The fleet record's costs and its stress run.
//
//   Record/changed     a worker's cost for a pass that is recorded: deciding,
//                      formatting and queueing the line (the write happens on
//                      the record's own thread)
//   Record/unchanged   a worker's cost for a pass that is not (the steady
//                      state: a panel that stays current)
//   Writers250         250 threads, each with its own HistoryFile on one path
//                      (as separate programs would), 2,000 records each, the
//                      file rotating at 10 MiB; fails unless every line of
//                      both files is a whole record and each file has one
//                      header. Counter: records per second.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/fleet_history.h"
#include "app/history_file.h"
#include "app/history_record.h"
#include "base/text.h"

namespace fs = std::filesystem;

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "history_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
  }
  ~TempFolder() { fs::remove_all(folder_); }
  fs::path operator/(const char* name) const { return folder_ / name; }

 private:
  fs::path folder_;
};

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

PassReport SampleReport() {
  PassReport report;
  report.address = L"192.168.10.117";
  report.mac = L"02:00:7f:00:0a:75";
  report.project = L"QN-DEMO";
  report.from_version = L"1.0.0";
  report.state = L"已经是最新版本：1.0.0";
  report.ended_at = 1'700'000'000;
  return report;
}

void Record(benchmark::State& state, bool changed) {
  TempFolder folder;
  FleetHistory history(Utf8ToUtf16((folder / "history.csv").string()), nullptr,
                       static_cast<std::size_t>(-1));
  history.BeginRun(L"1.1.0");
  PassReport report = SampleReport();
  bool flip = false;
  for (auto _ : state) {
    if (changed) flip = !flip;
    report.outcome = flip ? PassOutcome::kUnreachable : PassOutcome::kCurrent;
    history.Record(report);
  }
}
BENCHMARK_CAPTURE(Record, changed, true);
BENCHMARK_CAPTURE(Record, unchanged, false);

// Whole records only: "w<writer> r<record>" and a fixed tail.
bool CheckFile(const std::string& bytes, const std::string& tail, std::size_t* records) {
  const std::string header = "\xEF\xBB\xBF" + std::string(kHistoryHeader) + "\n";
  if (bytes.compare(0, header.size(), header) != 0) return false;
  std::istringstream lines(bytes.substr(header.size()));
  for (std::string line; std::getline(lines, line);) {
    if (line.size() <= tail.size() || line[0] != 'w' ||
        line.compare(line.size() - tail.size(), tail.size(), tail) != 0 ||
        line.find(' ') == std::string::npos || line.find('w', 1) != std::string::npos) {
      return false;
    }
    ++*records;
  }
  return true;
}

void Writers250(benchmark::State& state) {
  constexpr int kWriters = 250, kRecordsEach = 2000;
  const std::string tail = "," + std::string(100, '.');
  std::size_t written = 0, checked = 0;
  for (auto _ : state) {
    TempFolder folder;
    const std::wstring path = Utf8ToUtf16((folder / "history.csv").string());
    std::atomic<bool> go{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.emplace_back([&, w] {
        HistoryFile file(path, kHistoryHeader);
        std::string error;
        while (!go) std::this_thread::yield();
        for (int r = 0; r < kRecordsEach; ++r) {
          const std::string record = "w" + std::to_string(w) + " r" + std::to_string(r) + tail + "\n";
          if (!file.Append(record, &error)) ++failures;
        }
      });
    }
    go = true;
    for (auto& writer : writers) writer.join();
    std::size_t records = 0;
    if (failures != 0 || !CheckFile(Read(folder / "history.csv"), tail, &records) ||
        !CheckFile(Read(folder / "history.1.csv"), tail, &records)) {
      state.SkipWithError("a record was lost, cut or run into another");
      return;
    }
    written += kWriters * kRecordsEach;
    checked += records;
  }
  // Lines of the current and the one old file; the rest went with older files.
  state.counters["records_checked"] = static_cast<double>(checked);
  state.counters["records_per_second"] =
      benchmark::Counter(static_cast<double>(written), benchmark::Counter::kIsRate);
}
BENCHMARK(Writers250)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
