// Push throughput of Debian's adb into the simulator, as a ratio of a plain
// loopback TCP copy of the same bytes (file -> socket -> file), and the time
// one simulator process needs to serve 250 panels. Prints figures, and says so
// when the pushed bytes differ from the image.
//
//   sim_push_bench [MiB]     (default 256)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace {

using fleetsync_test::AdbTestServer;
using fleetsync_test::ProcessResult;
using fleetsync_test::SimulatedFleet;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
  return std::equal(std::istreambuf_iterator<char>(left), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(right), std::istreambuf_iterator<char>());
}

// Sends `path` over one loopback TCP connection into `copy`, 64 KiB at a time.
double PlainTcpCopySeconds(const std::string& path, const std::string& copy) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener, 1);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const auto start = Clock::now();
  std::thread receiver([&] {
    const int peer = accept(listener, nullptr, nullptr);
    const int out = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<char> buffer(64 * 1024);
    for (ssize_t got; (got = read(peer, buffer.data(), buffer.size())) > 0;)
      if (write(out, buffer.data(), size_t(got)) != got) break;
    close(out);
    close(peer);
  });
  const int sender = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::vector<char> buffer(64 * 1024);
  for (ssize_t got; (got = read(in, buffer.data(), buffer.size())) > 0;)
    if (send(sender, buffer.data(), size_t(got), MSG_NOSIGNAL) != got) break;
  close(in);
  close(sender);
  receiver.join();
  close(listener);
  return Seconds(Clock::now() - start);
}

void WritePattern(const std::string& path, size_t mib) {
  std::ofstream out(path, std::ios::binary);
  std::string block(1 << 20, '\0');
  uint32_t seed = 88172645;
  for (size_t m = 0; m < mib; ++m) {
    for (char& c : block) {
      seed ^= seed << 13;
      seed ^= seed >> 17;
      seed ^= seed << 5;
      c = char(seed);
    }
    out.write(block.data(), std::streamsize(block.size()));
  }
}

void PushBenchmark(size_t mib) {
  AdbTestServer adb;
  SimulatedFleet fleet;
  const std::string panel = "127.0.0.252";
  const std::string serial = panel + ":5603";
  fleet.Add(panel).Port(5603).ShellV2();
  fleet.Start();
  if (!adb.Connect(serial)) {
    std::printf("cannot connect to the simulator\n");
    return;
  }
  const std::string image = adb.tmpdir() + "/bench.img";
  WritePattern(image, mib);
  const double megabytes = double(mib) * 1048576 / 1e6;

  double best_adb = 1e9, best_tcp = 1e9;
  for (int round = 0; round < 5; ++round) {
    const auto start = Clock::now();
    const ProcessResult push =
        adb.Adb({"-s", serial, "push", image, "/tmp/fleet-sync/update.img"}, std::chrono::minutes(5));
    const double seconds = Seconds(Clock::now() - start);
    if (push.exit_code != 0) {
      std::printf("push failed: %s\n", push.output.c_str());
      return;
    }
    if (!SameBytes(image, fleet.FilePath(panel, "/tmp/fleet-sync/update.img"))) {
      std::printf("the pushed file differs from the image\n");
      return;
    }
    best_adb = std::min(best_adb, seconds);
    best_tcp = std::min(best_tcp, PlainTcpCopySeconds(image, adb.tmpdir() + "/copy.img"));
  }
  std::printf("adb push %zu MiB into the simulator: %.2f s (%.0f MB/s)\n", mib, best_adb,
              megabytes / best_adb);
  std::printf("plain loopback TCP copy, same bytes:  %.2f s (%.0f MB/s)\n", best_tcp,
              megabytes / best_tcp);
  std::printf("push throughput ratio: %.2f (target >= 0.5)\n", best_tcp / best_adb);
}

long RssKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

void FleetBenchmark() {
  AdbTestServer adb;
  SimulatedFleet fleet;
  std::vector<std::string> serials;
  for (int i = 2; i <= 251; ++i) {
    const std::string address = "127.0.0." + std::to_string(i);
    fleet.Add(address).Port(5604);
    serials.push_back(address + ":5604");
  }
  auto start = Clock::now();
  fleet.Start();
  const double ready = Seconds(Clock::now() - start);
  start = Clock::now();
  for (const std::string& serial : serials) adb.Connect(serial);
  const double connected = Seconds(Clock::now() - start);
  const std::string payload = adb.tmpdir() + "/payload.img";
  WritePattern(payload, 1);
  start = Clock::now();
  std::vector<std::thread> workers;
  for (const std::string& serial : serials)
    workers.emplace_back([&adb, &payload, serial] {
      adb.Adb({"-s", serial, "shell", "getprop", "ro.app.name"});
      adb.Adb({"-s", serial, "push", payload, "/tmp/fleet-sync/update.img"});
    });
  for (std::thread& t : workers) t.join();
  const double parallel = Seconds(Clock::now() - start);
  std::printf("250 panels: ready in %.2f s, connected one by one in %.2f s, "
              "250 parallel getprop + 1 MiB push in %.2f s, simulator RSS %ld KiB\n",
              ready, connected, parallel, RssKiB(fleet.simulator_pid()));
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? size_t(std::stoul(argv[1])) : 256;
  PushBenchmark(mib);
  FleetBenchmark();
  return 0;
}
