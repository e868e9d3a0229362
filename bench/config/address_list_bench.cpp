// Cost of reading ip.txt. The "per_address" counter (CPU seconds per address
// produced) is the figure to watch; the regex variant shows what building the pattern for every
// candidate would cost.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "app/address_list.h"
#include "base/text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kAddresses = 65536;

// A temporary ip.txt, removed when the benchmark ends.
class AddressFile {
 public:
  explicit AddressFile(const std::string& bytes) {
    std::string pattern = (fs::temp_directory_path() / "ip_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    std::ofstream(folder_ / "ip.txt", std::ios::binary) << bytes;
  }
  ~AddressFile() { fs::remove_all(folder_); }
  std::wstring path() const { return Utf8ToUtf16((folder_ / "ip.txt").string()); }

 private:
  fs::path folder_;
};

std::string PlainList() {
  std::string bytes;
  for (int i = 0; i < kAddresses; ++i) {
    bytes += "10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256) + "\r\n";
  }
  return bytes;
}

// 256 wildcard tokens of 255 addresses each (65,280 addresses).
std::string WildcardList() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += "10.2." + std::to_string(i) + ".*\n";
  return bytes;
}

void ReportPerAddress(benchmark::State& state, std::size_t addresses) {
  state.counters["per_address"] = benchmark::Counter(
      static_cast<double>(addresses),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["addresses"] = static_cast<double>(addresses);
}

void BM_ReadPlainAddresses(benchmark::State& state) {
  const AddressFile file(PlainList());
  std::size_t count = 0;
  for (auto _ : state) {
    const std::set<std::wstring> addresses = ReadAddressList(file.path());
    count = addresses.size();
    benchmark::DoNotOptimize(count);
  }
  ReportPerAddress(state, count);
}
BENCHMARK(BM_ReadPlainAddresses)->Unit(benchmark::kMillisecond);

void BM_ReadWildcardAddresses(benchmark::State& state) {
  const AddressFile file(WildcardList());
  std::size_t count = 0;
  for (auto _ : state) {
    const std::set<std::wstring> addresses = ReadAddressList(file.path());
    count = addresses.size();
    benchmark::DoNotOptimize(count);
  }
  ReportPerAddress(state, count);
}
BENCHMARK(BM_ReadWildcardAddresses)->Unit(benchmark::kMillisecond);

// Baseline: matching one candidate with a pattern object built for it.
void BM_RegexBuiltPerCandidate(benchmark::State& state) {
  const std::wstring candidate = L"192.168.100.254";
  for (auto _ : state) {
    const std::wregex pattern(
        L"((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}"
        L"(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])");
    benchmark::DoNotOptimize(std::regex_match(candidate, pattern));
  }
  state.counters["per_address"] = benchmark::Counter(
      1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RegexBuiltPerCandidate);

}  // namespace

BENCHMARK_MAIN();
