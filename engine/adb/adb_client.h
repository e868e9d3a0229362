// The adb operations of an upgrade pass, spoken straight to the adb server
// over its socket instead of through an `adb` child per command.
//
// Each operation gives what Debian's `adb` client gives for the same command
// line: the text it would print (standard output and error merged, as raw
// bytes) and the status it would exit with. So "adb connect" exits 0 even
// when the panel refuses, a raw shell exits 0 whatever its command did, a
// panel offering "shell_v2" reports its command's status, an unknown or
// offline device is "error: <the server's message>" with status 1, and a push
// the panel refuses prints the panel's message and exits 1.
//
// The server is Debian's adb, on 127.0.0.1 at the given port. When the port
// refuses a connection the client runs the server starter ("adb
// start-server", supplied by the owner) and tries again; threads that meet a
// refused port together start the server once, and a second start covers a
// race with another program starting it at the same moment. What the starter
// throws (say, that there is no adb to start) passes out of the operation.
//
// Bounds and cancelling: an operation runs under its Operation's CommandBound
// (a deadline for the whole operation, a stall limit since bytes last moved,
// a cap on its output) and in its CancelGroup. Breaking a bound or a
// cancelled group ends it at once by closing its connection (nothing is
// killed); the Result then names the cut, and the output given to the sink
// before the cut stays given.
//
// Threads: a Client may be used by any number of threads at once; each
// operation blocks its calling thread until it ends. The sink is called on
// that thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command_limits.h"

namespace adb {

class CancelGroup;
class OperationRun;

using ByteSink = std::function<void(std::string_view bytes)>;

// A panel's feature list as the server gave it, kept by the owner for shell
// commands that follow one another closely (one pass over a panel), so that
// they ask the server for it once. Forgotten when a command finds the
// panel's transport gone. One thread at a time.
using KnownFeatures = std::optional<std::string>;

struct Operation {
  CancelGroup* group = nullptr;       // may be null
  CommandBound bound;                 // zero fields bound nothing
  ByteSink output;                    // may be empty: the output is dropped
  KnownFeatures* features = nullptr;  // null: a shell asks for them every time
};

struct Result {
  int exit_code = 0;             // as the adb client would exit (without a cut)
  std::optional<CutReason> cut;  // why the operation was ended early, if it was
};

class Client {
 public:
  using ServerStarter = std::function<void()>;

  Client(int port, ServerStarter start_server);
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  int port() const { return port_; }

  // "adb connect ADDRESS" / "adb disconnect ADDRESS".
  Result Connect(const std::string& address, const Operation& operation);
  Result Disconnect(const std::string& address, const Operation& operation);
  // "adb -s SERIAL shell COMMAND": the output until the panel ends the stream.
  Result Shell(const std::string& serial, const std::string& command, const Operation& operation);
  // "adb -s SERIAL logcat ARGUMENTS..." (the client runs logcat on the panel
  // with every log tag enabled, through a terminal where the panel offers one).
  Result Logcat(const std::string& serial, const std::vector<std::string>& arguments,
                const Operation& operation);
  // "adb -s SERIAL push LOCAL REMOTE" for one regular file.
  Result Push(const std::string& serial, const std::string& local_path,
              const std::string& remote_path, const Operation& operation);

 private:
  friend class OperationRun;
  // Runs the starter unless another thread started the server after
  // `starts_seen` (the count this thread saw before its connection was
  // refused); threads that meet the refusal together wait for one start.
  void StartServer(std::uint64_t starts_seen);
  std::uint64_t starts() const { return starts_.load(std::memory_order_acquire); }

  const int port_;
  const ServerStarter start_server_;
  std::mutex start_mutex_;
  std::atomic<std::uint64_t> starts_{0};  // written under start_mutex_
};

// ANDROID_ADB_SERVER_PORT when it holds a port number, else 5037: the port
// Debian's adb client would use.
int ServerPortFromEnvironment();

}  // namespace adb
