// Command runner costs against bare baselines, printed as ratios at the end:
//   start overhead  = RunCommand("/bin/true") / posix_spawn + waitpid   (target <= 1.3)
//   capture speed   = capturing 256 MiB of `cat` / `cat file > /dev/null` (target >= 0.8)
//                     and / the same cat read through a pipe without decoding
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "engine/command_runner.h"

extern char** environ;

namespace {

constexpr std::size_t kCaptureBytes = 256u << 20;

std::string capture_file;  // made by the first capture benchmark, removed by main

// A 256 MiB text file of log-like ASCII lines.
const std::string& CaptureFile() {
  if (capture_file.empty()) {
    capture_file = "/tmp/fleetsync-runner-bench-" + std::to_string(getpid());
    const std::string line = "I/qnupgrade( 1234): write part: res 0 offset 0123456789 of 9876543210\n";
    std::string block;
    while (block.size() < (1u << 20)) block += line;
    block.resize(1u << 20);
    std::ofstream out(capture_file, std::ios::binary);
    for (std::size_t written = 0; written < kCaptureBytes; written += block.size()) out << block;
  }
  return capture_file;
}

void SpawnAndWait(const char* program, char* const argv[], posix_spawn_file_actions_t* actions) {
  pid_t pid = -1;
  if (posix_spawn(&pid, program, actions, nullptr, argv, environ) != 0) std::abort();
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
}

void BM_BareSpawnTrue(benchmark::State& state) {
  char* argv[] = {const_cast<char*>("/bin/true"), nullptr};
  for (auto _ : state) SpawnAndWait("/bin/true", argv, nullptr);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareSpawnTrue)->MinTime(2.0)->UseRealTime();

void BM_RunCommandTrue(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RunCommand(L"/bin/true"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunCommandTrue)->MinTime(2.0)->UseRealTime();

void BM_CatToDevNull(benchmark::State& state) {
  std::string file = CaptureFile();
  char* argv[] = {const_cast<char*>("/bin/cat"), file.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) SpawnAndWait("/bin/cat", argv, &actions);
  posix_spawn_file_actions_destroy(&actions);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kCaptureBytes));
}
BENCHMARK(BM_CatToDevNull)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The pipe transport alone: cat into a pipe, read in the runner's 1024-byte
// reads and thrown away (no decoding, no output string).
void BM_PipeReadCat(benchmark::State& state) {
  std::string file = CaptureFile();
  char* argv[] = {const_cast<char*>("/bin/cat"), file.data(), nullptr};
  for (auto _ : state) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, "/bin/cat", &actions, nullptr, argv, environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char buffer[1024];
    std::size_t total = 0;
    for (ssize_t n; (n = read(fds[0], buffer, sizeof(buffer))) > 0;) total += static_cast<std::size_t>(n);
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (total != kCaptureBytes) std::abort();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kCaptureBytes));
}
BENCHMARK(BM_PipeReadCat)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CaptureCat(benchmark::State& state) {
  const std::string& file = CaptureFile();
  const std::wstring command = L"/bin/cat " + std::wstring(file.begin(), file.end());
  for (auto _ : state) {
    const CommandResult result = RunCommand(command);
    if (result.output.size() != kCaptureBytes) std::abort();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kCaptureBytes));
}
BENCHMARK(BM_CaptureCat)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's real time per iteration so the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) seconds_[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
  }
  // By the benchmark's function name, whatever options follow it.
  double Seconds(const std::string& function) const {
    for (const auto& [name, seconds] : seconds_) {
      if (name == function || name.rfind(function + "/", 0) == 0) return seconds;
    }
    return 0;
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double spawn = reporter.Seconds("BM_BareSpawnTrue");
  const double run = reporter.Seconds("BM_RunCommandTrue");
  const double cat = reporter.Seconds("BM_CatToDevNull");
  const double pipe_read = reporter.Seconds("BM_PipeReadCat");
  const double capture = reporter.Seconds("BM_CaptureCat");
  if (spawn > 0 && run > 0)
    std::printf("RunCommand(/bin/true): %.0f runs/s, overhead over bare spawn+wait: %.2fx (target <= 1.3x)\n",
                1 / run, run / spawn);
  if (cat > 0 && capture > 0)
    std::printf("capture of 256 MiB: %.0f MB/s, cat > /dev/null: %.0f MB/s, ratio %.2fx (target >= 0.8x)\n",
                kCaptureBytes / capture / 1e6, kCaptureBytes / cat / 1e6, cat / capture);
  if (pipe_read > 0 && capture > 0)
    std::printf("bare pipe read (1024-byte reads, no decoding): %.0f MB/s, capture / bare read: %.2fx\n",
                kCaptureBytes / pipe_read / 1e6, pipe_read / capture);
  if (!capture_file.empty()) std::remove(capture_file.c_str());
  benchmark::Shutdown();
  return 0;
}
