// Test helper: a fake `adb` placed first on PATH. It records every call and
// answers from files in its folder, so a test scripts a panel without a
// server:
//   name, version, ifconfig, dump, stream   output of getprop ro.app.name,
//                                           getprop ro.app.version, ifconfig,
//                                           "logcat -d", "shell logcat"
//   fail/<word>     any "-s S ..." command containing <word> prints an error
//                   and exits 1; hang/<word>: never answers
//   stream_hangs    "shell logcat" prints the stream file, then never ends
// Set up before any thread starts: it changes PATH for the whole process
// (each test runs in a process of its own under CTest); bin() is the folder to
// put first on the PATH of a child process instead.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

class FakeAdb {
 public:
  FakeAdb() {
    std::filesystem::create_directories(folder_ / "bin");
    for (const char* kind : {"fail", "hang"}) std::filesystem::create_directories(folder_ / kind);
    const std::filesystem::path script = folder_ / "bin" / "adb";
    std::ofstream(script) << "#!/bin/sh\n"
                             "d='" << folder_.string() << "'\n"
                             "echo \"$*\" >> \"$d/calls\"\n"
                             "echo $$ >> \"$d/pids\"\n"
                             "case \"$1\" in\n"
                             "  connect) echo \"connected to $2\"; exit 0;;\n"
                             "  disconnect) echo \"disconnected $2\"; exit 0;;\n"
                             "esac\n"
                             "[ \"$1\" = -s ] && shift 2\n"
                             "for kind in fail hang; do\n"
                             "  for f in \"$d/$kind\"/*; do\n"
                             "    [ -e \"$f\" ] || continue\n"
                             "    case \"$*\" in *\"$(basename \"$f\")\"*) case $kind in\n"
                             "      fail) echo \"error: closed\"; exit 1;;\n"
                             "      hang) exec sleep 600;;\n"
                             "    esac;; esac\n"
                             "  done\n"
                             "done\n"
                             "case \"$*\" in\n"
                             "  'shell getprop ro.app.name') cat \"$d/name\";;\n"
                             "  'shell getprop ro.app.version') cat \"$d/version\";;\n"
                             "  'shell ifconfig') cat \"$d/ifconfig\";;\n"
                             "  'logcat -d') cat \"$d/dump\" 2>/dev/null;;\n"
                             "  'shell logcat') cat \"$d/stream\" 2>/dev/null\n"
                             "                  [ -e \"$d/stream_hangs\" ] && exec sleep 600;;\n"
                             "esac\n"
                             "exit 0\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const auto& path = path_.saved();
    setenv("PATH", ((folder_ / "bin").string() + ":" + (path ? *path : "/usr/bin:/bin")).c_str(), 1);
    Set("name", "demo\n");
    Set("version", "1.0.0\r\n");
    Set("ifconfig",
        "lo        Link encap:Local Loopback\n"
        "eth0      Link encap:Ethernet  HWaddr 00:11:22:33:44:55\r\n"
        "          inet addr:10.0.0.5\n");
  }
  FakeAdb(const FakeAdb&) = delete;
  FakeAdb& operator=(const FakeAdb&) = delete;

  void Set(const std::string& file, const std::string& content) {
    std::ofstream(folder_ / file, std::ios::trunc) << content;
  }
  void Fail(const std::string& word) { Set("fail/" + word, ""); }
  void Hang(const std::string& word) { Set("hang/" + word, ""); }
  void Heal(const std::string& word) { std::filesystem::remove(folder_ / "fail" / word); }
  void HangStream() { Set("stream_hangs", ""); }

  // Every call so far, one argv (after "adb") per entry, words joined by blanks.
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    std::ifstream in(folder_ / "calls");
    for (std::string line; std::getline(in, line);) calls.push_back(line);
    return calls;
  }
  void ClearCalls() { std::filesystem::remove(folder_ / "calls"); }
  std::string CallsText() const {
    std::ostringstream text;
    for (const std::string& call : Calls()) text << call << "\n";
    return text.str();
  }
  // Process ids of every fake adb started so far.
  std::vector<int> Pids() const {
    std::vector<int> pids;
    std::ifstream in(folder_ / "pids");
    for (int pid; in >> pid;) pids.push_back(pid);
    return pids;
  }
  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path bin() const { return folder_ / "bin"; }

 private:
  // Restores PATH, which a test may also have narrowed, for later cases in
  // the same process (the fake script itself runs cat and sleep).
  fleetsync_test::ScopedEnv path_{"PATH"};
  fleetsync_test::TempFolder temp_{"fake-adb"};
  const std::filesystem::path folder_ = temp_.path();
};
