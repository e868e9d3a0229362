// An isolated adb environment for one test: its own server port, HOME and
// TMPDIR, and no emulator, mDNS or USB probing.
//
//   fleetsync_test::AdbTestServer adb;            // sets the environment, starts the server
//   adb.Connect("127.0.0.5:5555");               // "connected to …" or "already connected …"
//   auto r = adb.Adb({"-s", "127.0.0.5:5555", "shell", "getprop", "ro.app.name"});
//   // r.exit_code, r.output
//
// The constructor sets ANDROID_ADB_SERVER_PORT (a free port), HOME and TMPDIR
// (fresh temporary folders) and ADB_EMU=0 ADB_MDNS=0 ADB_USB=0 in this
// process's environment, so every adb started afterwards by the test — also
// through the engine's command runner — meets only this server; then it runs
// `adb start-server` once. The destructor runs `adb kill-server` for this port
// only, restores the previous environment and removes the folders.
// One instance per process at a time; construct and destroy it on the test's
// main thread (it changes the environment). Adb() may be called from any
// thread once constructed.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace fleetsync_test {

class AdbTestServer {
 public:
  AdbTestServer();  // throws std::runtime_error when the server cannot start
  AdbTestServer(const AdbTestServer&) = delete;
  AdbTestServer& operator=(const AdbTestServer&) = delete;
  ~AdbTestServer();

  int port() const { return port_; }
  const std::string& tmpdir() const { return tmpdir_; }

  // Runs `adb ARGS` (standard input /dev/null) and returns its exit code and
  // output; killed after `timeout`.
  ProcessResult Adb(const std::vector<std::string>& args,
                    std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;
  // Starts `adb ARGS` and returns at once (e.g. a streaming `shell logcat`).
  std::unique_ptr<BackgroundProcess> AdbInBackground(const std::vector<std::string>& args) const;
  // `adb connect SERIAL`, repeated until adb says "connected to" or "already
  // connected to" or `timeout` passes. True on success.
  bool Connect(const std::string& serial,
               std::chrono::milliseconds timeout = std::chrono::seconds(15)) const;

 private:
  TempFolder root_{"fleetsync-adb"};  // holds home/ and tmp/
  const std::string home_ = root_ / "home";
  const std::string tmpdir_ = root_ / "tmp";
  // Declared after the folder: the environment is restored before it goes.
  std::vector<std::unique_ptr<ScopedEnv>> environment_;
  int port_ = 0;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
int FreeLoopbackPort();

}  // namespace fleetsync_test
