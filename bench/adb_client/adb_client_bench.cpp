// The socket client against Debian's adb client, on one simulated panel:
//  - one push of a large image (default 256 MiB): wall time of each, best of
//    three, and their ratio (target: the client no slower than adb);
//  - one short command ("shell getprop ro.app.name"), repeated: wall time and
//    CPU time of this process (the client) or of the adb children (adb).
// The adb server's own CPU is the same for both and not counted. Prints
// figures; no test.
//
//   adb_client_bench [MiB]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/adb/adb_client.h"
#include "engine/command_runner.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace {

using Clock = std::chrono::steady_clock;
using fleetsync_test::ProcessResult;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Cost {
  double wall = 0;
  double cpu = 0;
};

template <typename Run>
Cost Measure(int who, Run run) {
  const double cpu = CpuSeconds(who);
  const auto start = Clock::now();
  run();
  return {Seconds(Clock::now() - start), CpuSeconds(who) - cpu};
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? size_t(std::stoul(argv[1])) : 256;
  fleetsync_test::AdbTestServer adb;
  fleetsync_test::SimulatedFleet fleet;
  const std::string serial = fleet.SerialFor(fleet.Add("127.0.0.253").Port(5605).ShellV2().config.address);
  fleet.Start();
  if (!adb.Connect(serial)) {
    std::printf("cannot connect to the simulator\n");
    return 1;
  }
  adb::Client client(adb.port(), [] { StartAdbServer(std::chrono::seconds(30)); });
  const adb::Operation quiet{};

  const std::string image =
      fleetsync_test::MakeImage(adb.tmpdir() + "/bench.img", "2.0.0", mib * 1024 * 1024);
  double best_adb = 1e9, best_client = 1e9;
  for (int round = 0; round < 3; ++round) {
    const Cost theirs = Measure(RUSAGE_CHILDREN, [&] {
      const ProcessResult push = adb.Adb({"-s", serial, "push", image, "/tmp/fleet-sync/update.img"},
                                         std::chrono::minutes(5));
      if (push.exit_code != 0) std::printf("adb push failed: %s\n", push.output.c_str());
    });
    const Cost ours = Measure(RUSAGE_SELF, [&] {
      if (client.Push(serial, image, "/tmp/fleet-sync/update.img", quiet).exit_code != 0)
        std::printf("client push failed\n");
    });
    best_adb = std::min(best_adb, theirs.wall);
    best_client = std::min(best_client, ours.wall);
  }
  const double megabytes = double(mib) * 1048576 / 1e6;
  std::printf("push %zu MiB: adb %.2f s (%.0f MB/s), client %.2f s (%.0f MB/s), "
              "client/adb %.2f (target <= 1.0)\n",
              mib, best_adb, megabytes / best_adb, best_client, megabytes / best_client,
              best_client / best_adb);

  constexpr int kCommands = 200;
  const Cost theirs = Measure(RUSAGE_CHILDREN, [&] {
    for (int i = 0; i < kCommands; ++i) adb.Adb({"-s", serial, "shell", "getprop", "ro.app.name"});
  });
  const Cost ours = Measure(RUSAGE_SELF, [&] {
    for (int i = 0; i < kCommands; ++i) client.Shell(serial, "getprop ro.app.name", quiet);
  });
  std::printf("shell getprop, per command: adb %.2f ms wall, %.2f ms CPU; "
              "client %.2f ms wall, %.3f ms CPU\n",
              1e3 * theirs.wall / kCommands, 1e3 * theirs.cpu / kCommands,
              1e3 * ours.wall / kCommands, 1e3 * ours.cpu / kCommands);
  return 0;
}
