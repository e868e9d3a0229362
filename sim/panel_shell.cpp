#include "sim/panel_shell.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "sim/device_files.h"
#include "sim/shell_words.h"

namespace sim {
namespace {

using Args = std::vector<std::string>;

struct Result {
  std::string output;
  int exit_code = 0;
};

Result Getprop(const Args& args, ShellHost& host) {
  if (args.size() >= 2) return {host.PropOutput(args[1]) + "\n", 0};
  std::string listing;
  for (const auto& [name, value] : host.Props()) listing += "[" + name + "]: [" + value + "]\n";
  return {listing, 0};
}

Result Setprop(const Args& args, ShellHost& host) {
  if (args.size() != 3) return {"setprop: Need 2 arguments\n", 1};
  host.SetProp(args[1], args[2]);
  return {"", 0};
}

Result Mkdir(const Args& args, ShellHost& host) {
  bool parents = false;
  std::vector<std::string> paths;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-p") parents = true;
    else paths.push_back(args[i]);
  }
  if (paths.empty()) return {"mkdir: Need 1 argument\n", 1};
  Result result;
  for (const std::string& path : paths) {
    const auto mapped = MapDevicePath(host.FilesRoot(), path);
    if (!mapped) {
      result.output += "mkdir: '" + path + "': Permission denied\n";
      result.exit_code = 1;
      continue;
    }
    std::error_code error;
    if (parents) {
      std::filesystem::create_directories(*mapped, error);
      if (error || !std::filesystem::is_directory(*mapped)) {
        result.output += "mkdir: '" + path + "': Not a directory\n";
        result.exit_code = 1;
      }
    } else if (::mkdir(mapped->c_str(), 0755) != 0) {
      result.output += "mkdir: '" + path + "': " + std::strerror(errno) + "\n";
      result.exit_code = 1;
    }
  }
  return result;
}

Result Remove(const Args& args, ShellHost& host) {
  Result result;
  for (size_t i = 1; i < args.size(); ++i) {
    if (!args[i].empty() && args[i][0] == '-') continue;
    const auto mapped = MapDevicePath(host.FilesRoot(), args[i]);
    std::error_code error;
    if (!mapped || std::filesystem::remove_all(*mapped, error) == 0 || error) {
      result.output += "rm: " + args[i] + ": No such file or directory\n";
      result.exit_code = 1;
    }
  }
  return result;
}

Result Echo(const Args& args) {
  std::string line;
  for (size_t i = 1; i < args.size(); ++i) line += (i > 1 ? " " : "") + args[i];
  return {line + "\n", 0};
}

// Runs one simple command; a streaming logcat sets `follow`.
Result RunSimple(const Args& args, ShellHost& host, bool& follow) {
  const std::string& name = args[0];
  if (name == "getprop") return Getprop(args, host);
  if (name == "setprop") return Setprop(args, host);
  if (name == "ifconfig") {
    if (args.size() >= 2 && args[1] != "eth0" && args[1] != "lo" && args[1] != "-a")
      return {"ifconfig: " + args[1] + ": error fetching interface information: Device not found\n", 1};
    return {IfconfigListing(host.Address(), host.Mac()), 0};
  }
  if (name == "mkdir") return Mkdir(args, host);
  if (name == "rm") return Remove(args, host);
  if (name == "echo") return Echo(args);
  if (name == "true") return {"", 0};
  if (name == "false") return {"", 1};
  if (name == "reboot") {
    host.RequestReboot();
    return {"", 0};
  }
  if (name == "logcat") {
    bool dump = false;
    for (size_t i = 1; i < args.size(); ++i) dump = dump || args[i] == "-d";
    follow = !dump;
    return {host.LogText(), 0};
  }
  return {"/system/bin/sh: " + name + ": not found\n", 127};
}

}  // namespace

std::string IfconfigListing(const std::string& address, const std::string& mac) {
  std::string eth0 = "eth0      Link encap:Ethernet";
  if (!mac.empty()) eth0 += "  HWaddr " + mac;
  return eth0 +
         "  \n"
         "          inet addr:" + address + "  Bcast:127.255.255.255  Mask:255.0.0.0 \n"
         "          UP BROADCAST RUNNING MULTICAST  MTU:1500  Metric:1\n"
         "          RX packets:18342 errors:0 dropped:0 overruns:0 frame:0 \n"
         "          TX packets:9120 errors:0 dropped:0 overruns:0 carrier:0 \n"
         "          collisions:0 txqueuelen:1000 \n"
         "          RX bytes:2390411 TX bytes:811904 \n"
         "\n"
         "lo        Link encap:Local Loopback  \n"
         "          inet addr:127.0.0.1  Mask:255.0.0.0 \n"
         "          UP LOOPBACK RUNNING  MTU:65536  Metric:1\n"
         "          RX packets:0 errors:0 dropped:0 overruns:0 frame:0 \n"
         "          TX packets:0 errors:0 dropped:0 overruns:0 carrier:0 \n"
         "          collisions:0 txqueuelen:1000 \n"
         "          RX bytes:0 TX bytes:0 \n"
         "\n";
}

ShellOutcome RunShellCommand(const std::string& command_line, ShellHost& host) {
  ShellOutcome outcome;
  Args args;
  std::string pending_operator = ";";
  auto run = [&] {
    if (args.empty()) return;
    const bool skip = (pending_operator == "&&" && outcome.exit_code != 0) ||
                      (pending_operator == "||" && outcome.exit_code == 0);
    // "export X=Y" and "exec" change nothing a panel command here depends on.
    if (!skip && args[0] != "export") {
      if (args[0] == "exec") args.erase(args.begin());
      if (!args.empty()) {
        Result result = RunSimple(args, host, outcome.follow_log);
        outcome.output += result.output;
        outcome.exit_code = result.exit_code;
      }
    }
    args.clear();
  };
  for (const ShellWord& word : SplitShellWords(command_line)) {
    if (word.is_operator) {
      run();
      pending_operator = word.text;
      if (outcome.follow_log) break;
    } else {
      args.push_back(word.text);
    }
  }
  if (!outcome.follow_log) run();
  return outcome;
}

}  // namespace sim
