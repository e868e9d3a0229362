// fleetsync-sim: plays Android display panels on loopback addresses for adb.
// Usage and scenario format: sim/README.md.
#include <arpa/inet.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/scenario.h"
#include "sim/simulator.h"

namespace {

constexpr const char* kUsage =
    "usage: fleetsync-sim [--scenario FILE] [--panels FIRST[-LAST]] [--state-dir DIR]\n"
    "                     [--time-limit SECONDS] [--project P] [--version V]\n"
    "                     [--upgrade-version V] [--shell-v2]\n";

// "127.0.0.2-127.0.0.251" or one address.
std::vector<std::string> AddressRange(const std::string& text) {
  const size_t dash = text.find('-');
  const std::string first = text.substr(0, dash);
  const std::string last = dash == std::string::npos ? first : text.substr(dash + 1);
  in_addr a{}, b{};
  if (inet_pton(AF_INET, first.c_str(), &a) != 1 || inet_pton(AF_INET, last.c_str(), &b) != 1 ||
      ntohl(a.s_addr) > ntohl(b.s_addr) || ntohl(b.s_addr) - ntohl(a.s_addr) > 65535)
    throw std::runtime_error("bad --panels range: " + text);
  std::vector<std::string> out;
  for (uint32_t host = ntohl(a.s_addr); host <= ntohl(b.s_addr); ++host) {
    in_addr one{htonl(host)};
    char buffer[INET_ADDRSTRLEN];
    out.push_back(inet_ntop(AF_INET, &one, buffer, sizeof buffer));
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  try {
    std::vector<sim::PanelConfig> panels;
    std::string scenario_path, range, project, version, upgrade_version;
    const char* tmp = std::getenv("TMPDIR");
    std::string state_dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/fleetsync-sim";
    double time_limit = 0;
    bool shell_v2 = false;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      auto value = [&]() -> std::string {
        if (i + 1 >= argc) throw std::runtime_error(arg + " needs a value");
        return argv[++i];
      };
      if (arg == "--scenario") scenario_path = value();
      else if (arg == "--panels") range = value();
      else if (arg == "--state-dir") state_dir = value();
      else if (arg == "--time-limit") time_limit = std::stod(value());
      else if (arg == "--project") project = value();
      else if (arg == "--version") version = value();
      else if (arg == "--upgrade-version") upgrade_version = value();
      else if (arg == "--shell-v2") shell_v2 = true;
      else if (arg == "--help" || arg == "-h") {
        std::cout << kUsage;
        return 0;
      } else {
        throw std::runtime_error("unknown option " + arg);
      }
    }
    if (!scenario_path.empty()) panels = sim::ParseScenario(ReadFile(scenario_path));
    if (!range.empty()) {
      for (const std::string& address : AddressRange(range)) {
        sim::PanelConfig panel = sim::DefaultPanel(address);
        if (!project.empty()) panel.project = project;
        if (!version.empty()) panel.version = version;
        panel.upgrade_version = upgrade_version;
        panel.shell_v2 = shell_v2;
        panel.crlf = !shell_v2;
        sim::RequireLoopback(address);
        panels.push_back(std::move(panel));
      }
    }
    if (panels.empty()) throw std::runtime_error("no panels: give --scenario or --panels");
    RaiseDescriptorLimit();
    sim::Simulator simulator(std::move(panels), state_dir);
    simulator.Start();
    std::cout << "ready" << std::endl;
    simulator.Run(time_limit);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "fleetsync-sim: " << error.what() << "\n" << kUsage;
    return 2;
  }
}
