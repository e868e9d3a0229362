// Test support: a private folder whose bin/ is the whole PATH, holding
// stand-ins for the dialog programs, and a UI loop registered as thread 0.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/thread_registry.h"
#include "base/ui_message_loop.h"
#include "tests/support/run_loop_until.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

class StubDialogs {
 public:
  StubDialogs() {
    std::filesystem::create_directory(root_ / "bin");
    ::setenv("PATH", (root_ / "bin").c_str(), 1);
  }

  // A stand-in `name` that records its arguments (one a line) and its pid,
  // prints `reply` on standard output and noise on standard error, and
  // exits with `exit_code`. Only shell built-ins run, PATH being empty of
  // anything else; `tail` is extra script text run before exiting.
  void Install(const std::string& name, const std::string& reply, int exit_code,
               const std::string& tail = "") {
    const std::filesystem::path script = root_ / "bin" / name;
    std::ofstream(script) << "#!/bin/sh\n"
                             "log=\"${0%/*}/..\"\n"
                             "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$log/args.tmp\"\n"
                             "echo $$ > \"$log/pid\"\n"
                             "printf 'Gtk-WARNING **: no transient parent\\n' >&2\n"
                             "printf '%s' '" << reply << "'\n"
                          << tail << "\nexit " << exit_code << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  // The arguments of the last run (without argv[0]); empty when none ran.
  std::vector<std::string> Arguments() const {
    std::vector<std::string> lines;
    std::ifstream in(root_ / "args.tmp");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  bool Ran() const { return std::filesystem::exists(root_ / "args.tmp"); }
  // Pid of the last run, once it has started; 0 before.
  int Pid() const {
    int pid = 0;
    std::ifstream(root_ / "pid") >> pid;
    return pid;
  }
  void EmptyPath() { ::setenv("PATH", "", 1); }
  const std::filesystem::path& root() const { return root_; }

 private:
  fleetsync_test::TempFolder folder_{"fleetsync_pick"};
  const std::filesystem::path root_ = folder_.path();
  fleetsync_test::ScopedEnv path_{"PATH"};  // put back afterwards
};

// The test thread as the UI thread: a loop registered under identifier 0.
class UiLoop {
 public:
  UiLoop() { registered_ = vbase::ThreadRegistry::RegisterThread(0); }
  ~UiLoop() {
    if (registered_) vbase::ThreadRegistry::UnregisterThread();
  }
  UiLoop(const UiLoop&) = delete;
  UiLoop& operator=(const UiLoop&) = delete;

  bool registered() const { return registered_; }

  // Runs posted tasks until `done` holds or ten seconds have passed.
  bool RunUntil(const std::function<bool()>& done) {
    return fleetsync_test::RunLoopUntil(loop_, done, 10000);
  }
  void RunFor(int ms) { fleetsync_test::RunLoopFor(loop_, ms); }

 private:
  vbase::UIMessageLoop loop_;
  bool registered_ = false;
};

// Waits until process `pid` is gone, zombie included.
inline bool ProcessGone(int pid) {
  const std::filesystem::path entry = std::filesystem::path("/proc") / std::to_string(pid);
  return fleetsync_test::WaitUntil([&] { return !std::filesystem::exists(entry); });
}
