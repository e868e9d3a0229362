#include "engine/adb/adb_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "engine/adb/host_protocol.h"
#include "engine/adb/server_connection.h"
#include "engine/adb/shell_protocol.h"
#include "engine/adb/sync_protocol.h"
#include "platform/tcp_connections.h"
#include "platform/unique_fd.h"

namespace adb {

namespace {

constexpr int kDefaultPort = 5037;

bool HasFeature(std::string_view features, std::string_view wanted) {
  while (!features.empty()) {
    const std::size_t comma = features.find(',');
    if (features.substr(0, comma) == wanted) return true;
    if (comma == std::string_view::npos) break;
    features.remove_prefix(comma + 1);
  }
  return false;
}

// The shell_v2 service as the stock client asks for it: the caller's TERM
// passed on, "raw" for a command without a terminal.
std::string ShellV2Service(bool raw, const std::string& command) {
  std::string service = "shell,v2,";
  if (const char* term = std::getenv("TERM"); term && *term) service += "TERM=" + std::string(term) + ",";
  if (!raw) service.pop_back();
  if (raw) service += "raw";
  return service + ":" + command;
}

// 'word' for a POSIX shell.
std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Reads until the peer ends the stream; what comes is not wanted.
void DrainToEnd(ByteStream& stream) {
  char buffer[4096];
  while (stream.ReadSome(buffer, sizeof(buffer)) > 0) {
  }
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// One operation of the client: its timer, its connections and its output.
class OperationRun {
 public:
  OperationRun(Client& client, const Operation& operation)
      : client_(client), operation_(operation), timer_(operation.bound) {}

  // Passes what the stock client would print to the sink, up to the cap.
  void Print(std::string_view bytes) {
    const std::size_t cap = operation_.bound.output_cap;
    bool over_cap = false;
    if (cap > 0 && printed_ + bytes.size() > cap) {
      bytes = bytes.substr(0, cap - printed_);
      over_cap = true;
    }
    printed_ += bytes.size();
    if (operation_.output && !bytes.empty()) operation_.output(bytes);
    if (over_cap) throw OperationCut{CutReason::kOutputCap};
  }

  // A connection to the server; it is started when its port refuses. Null
  // (after printing why, as the stock client does) when it cannot be reached.
  std::unique_ptr<ServerConnection> Open() {
    int error = 0;
    for (int start = 0;; ++start) {
      const std::uint64_t starts_seen = client_.starts();
      std::unique_ptr<ServerConnection> connection =
          ServerConnection::Open(client_.port(), timer_, operation_.group, error);
      if (connection) return connection;
      if (error != ECONNREFUSED || start == 2 || !client_.start_server_) break;
      client_.StartServer(starts_seen);
    }
    char message[128];
    std::snprintf(message, sizeof(message), "error: cannot connect to daemon at tcp:%d: ",
                  client_.port());
    Print(std::string(message) + std::strerror(error) + "\n");
    return nullptr;
  }

  // Sends `service` and reads the server's status; a refusal is printed
  // after `error_prefix`.
  bool Request(ServerConnection& connection, const std::string& service,
               const std::string& error_prefix) {
    const std::string request = HostRequest(service);
    if (request.empty()) {
      Print(error_prefix + "request too long\n");
      return false;
    }
    if (!connection.Write(request)) {
      Print(error_prefix + "protocol fault (couldn't write request)\n");
      return false;
    }
    const HostStatus status = ReadHostStatus(connection);
    if (status.kind == HostStatus::kOkay) return true;
    if (status.kind == HostStatus::kFail) Print(error_prefix + status.text + "\n");
    else Print(error_prefix + "protocol fault (" + status.text + ")\n");
    return false;
  }

  // A host service that answers with a text (host:connect, the features).
  std::optional<std::string> Query(const std::string& service, const std::string& error_prefix) {
    std::unique_ptr<ServerConnection> connection = Open();
    if (!connection || !Request(*connection, service, error_prefix)) return std::nullopt;
    std::optional<std::string> text = ReadHostText(*connection);
    if (!text) Print(error_prefix + "protocol fault (couldn't read reply)\n");
    // The server ends the stream after its answer. Closing first, while the
    // thread that served a connect is still ending it, races inside the
    // server and crashes Debian's adb server (seen with connects among
    // shells of other panels).
    else DrainToEnd(*connection);
    return text;
  }

  // The panel's feature list, as the operation knows it or from the server.
  std::optional<std::string> Features(const std::string& serial, const std::string& error_prefix) {
    if (operation_.features && *operation_.features) return *operation_.features;
    std::optional<std::string> features = Query("host-serial:" + serial + ":features", error_prefix);
    if (operation_.features) *operation_.features = features;
    return features;
  }
  void ForgetFeatures() {
    if (operation_.features) operation_.features->reset();
  }

  // A connection switched to the panel's transport.
  std::unique_ptr<ServerConnection> OpenTransport(const std::string& serial,
                                                  const std::string& error_prefix) {
    std::unique_ptr<ServerConnection> connection = Open();
    if (!connection || !Request(*connection, "host:tport:serial:" + serial, error_prefix))
      return nullptr;
    char transport_id[8];
    if (!ReadExact(*connection, transport_id, sizeof(transport_id))) {
      Print(error_prefix + "protocol fault (couldn't read transport id)\n");
      return nullptr;
    }
    return connection;
  }

  // The queues of the adb server's connection to the panel (serial
  // "address:port") count as progress too: a push moves there.
  void WatchPanelQueues(const std::string& serial) {
    const std::size_t colon = serial.rfind(':');
    if (colon == std::string::npos) return;
    const std::string address = serial.substr(0, colon);
    const int port = std::atoi(serial.c_str() + colon + 1);
    timer_.Watch([address, port] { return platform::TcpQueuesFingerprint(address, port); });
  }

  // The stream as it comes, until it ends.
  void PrintToEnd(ByteStream& stream) {
    char buffer[16 * 1024];
    while (const std::size_t n = stream.ReadSome(buffer, sizeof(buffer))) Print({buffer, n});
  }

  // A shell_v2 stream: its output, then its status (0 when the stream ends
  // without one, as with the stock client). The panel ends the stream after
  // the status; it is awaited, as after QUIT.
  int PrintShellPackets(ByteStream& stream) {
    ShellPacketReader reader([this](std::string_view bytes) { Print(bytes); });
    char buffer[16 * 1024];
    while (!reader.exit_status()) {
      const std::size_t n = stream.ReadSome(buffer, sizeof(buffer));
      if (n == 0) return 0;
      reader.Feed({buffer, n});
    }
    DrainToEnd(stream);
    return *reader.exit_status();
  }

 private:
  Client& client_;
  const Operation& operation_;
  OperationTimer timer_;
  std::size_t printed_ = 0;
};

namespace {

template <typename Body>
Result Run(Client& client, const Operation& operation, Body body) {
  try {
    OperationRun run(client, operation);
    return Result{body(run), std::nullopt};
  } catch (const OperationCut& cut) {
    return Result{-1, cut.reason};
  }
}

// A host request whose reply text is what the stock client prints.
int PrintHostReply(OperationRun& run, const std::string& request) {
  const std::optional<std::string> reply = run.Query(request, "error: ");
  if (!reply) return 1;
  run.Print(*reply + "\n");
  return 0;
}

// Runs a shell command on the panel the way the stock client does; `raw`
// false asks for a terminal.
int RunShell(OperationRun& run, const std::string& serial, const std::string& command, bool raw) {
  // Known features save a request; a panel gone since fails the transport
  // with the server's own words, as the feature request would have.
  const std::optional<std::string> features = run.Features(serial, "error: ");
  if (!features) return 1;
  std::unique_ptr<ServerConnection> connection = run.OpenTransport(serial, "error: ");
  if (!connection) {
    run.ForgetFeatures();
    return 1;
  }
  const bool v2 = HasFeature(*features, "shell_v2");
  if (!run.Request(*connection, v2 ? ShellV2Service(raw, command) : "shell:" + command, "error: ")) {
    run.ForgetFeatures();
    return 1;
  }
  if (!v2) {
    run.PrintToEnd(*connection);
    return 0;
  }
  // The command gets no input; a raw command is told so.
  if (raw) connection->Write(CloseStdinPacket());
  return run.PrintShellPackets(*connection);
}

std::string PushSummary(const std::string& local_path, bool pushed, std::uint64_t bytes,
                        std::chrono::steady_clock::duration elapsed) {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double rate = seconds > 0 ? static_cast<double>(bytes) / seconds / (1024 * 1024) : 0;
  char line[160];
  std::snprintf(line, sizeof(line), ": %d file%s pushed, 0 skipped. %.1f MB/s (%llu bytes in %.3fs)\n",
                pushed ? 1 : 0, pushed ? "" : "s", rate, static_cast<unsigned long long>(bytes), seconds);
  return local_path + line;
}

// STAT, SEND, DATA..., DONE and the panel's answer, on a "sync:" connection.
int SendFile(OperationRun& run, ServerConnection& connection, const std::string& local_path,
             const std::string& remote_path) {
  const auto start = std::chrono::steady_clock::now();
  // QUIT, then the panel ends the stream. Closing first, while the server is
  // still passing QUIT on, races the panel's own close inside the server
  // (seen to crash Debian's adb server); the stock client waits too.
  const auto quit = [&connection] {
    if (connection.Write(SyncHeader("QUIT", 0))) DrainToEnd(connection);
  };
  connection.Write(SyncRequest("STAT", remote_path));
  const std::optional<SyncStat> remote = ReadStatReply(connection);
  const std::string copy_failed = "adb: error: failed to copy '" + local_path + "' to '";
  if (!remote) {
    run.Print(copy_failed + remote_path + "': couldn't read from device\n");
    return 1;
  }
  struct stat local {};
  if (::stat(local_path.c_str(), &local) != 0) {
    run.Print("adb: error: cannot stat '" + local_path + "': " + std::strerror(errno) + "\n");
    quit();
    return 1;
  }
  if (!S_ISREG(local.st_mode)) {
    run.Print("adb: error: cannot push '" + local_path + "': not a regular file\n");
    quit();
    return 1;
  }
  platform::UniqueFd file(::open(local_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) {
    run.Print("adb: error: cannot open '" + local_path + "': " + std::strerror(errno) + "\n");
    quit();
    return 1;
  }
  // Pushing onto a folder puts the file into it, under its own name.
  const std::string target = S_ISDIR(remote->mode) ? remote_path + "/" + BaseName(local_path) : remote_path;

  bool sent = connection.Write(SyncRequest("SEND", target + "," + std::to_string(local.st_mode)));
  std::uint64_t bytes = 0;
  std::string packet(8 + kPushChunk, '\0');
  while (sent) {
    const ssize_t n = ::read(file.get(), packet.data() + 8, kPushChunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      run.Print(copy_failed + target + "': read failed: " + std::strerror(errno) + "\n");
      return 1;
    }
    if (n == 0) break;
    packet.replace(0, 8, SyncHeader("DATA", static_cast<std::uint32_t>(n)));
    sent = connection.Write(std::string_view(packet.data(), 8 + static_cast<std::size_t>(n)));
    if (sent) bytes += static_cast<std::uint64_t>(n);
  }
  if (sent) connection.Write(SyncHeader("DONE", static_cast<std::uint32_t>(local.st_mtime)));
  const SyncStatus status = ReadSyncStatus(connection);
  quit();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (status.kind == SyncStatus::kOkay) {
    run.Print(PushSummary(local_path, true, bytes, elapsed));
    return 0;
  }
  if (status.kind == SyncStatus::kFail) run.Print(copy_failed + target + "': remote " + status.text + "\n");
  else run.Print(copy_failed + target + "': couldn't read from device\n");
  run.Print(PushSummary(local_path, false, bytes, elapsed));
  return 1;
}

}  // namespace

Client::Client(int port, ServerStarter start_server)
    : port_(port), start_server_(std::move(start_server)) {}

void Client::StartServer(std::uint64_t starts_seen) {
  std::lock_guard<std::mutex> lock(start_mutex_);
  if (starts() != starts_seen) return;  // another thread started it meanwhile
  start_server_();
  starts_.fetch_add(1, std::memory_order_release);
}

Result Client::Connect(const std::string& address, const Operation& operation) {
  return Run(*this, operation, [&](OperationRun& run) { return PrintHostReply(run, "host:connect:" + address); });
}

Result Client::Disconnect(const std::string& address, const Operation& operation) {
  return Run(*this, operation, [&](OperationRun& run) { return PrintHostReply(run, "host:disconnect:" + address); });
}

Result Client::Shell(const std::string& serial, const std::string& command,
                     const Operation& operation) {
  return Run(*this, operation,
             [&](OperationRun& run) { return RunShell(run, serial, command, /*raw=*/true); });
}

Result Client::Logcat(const std::string& serial, const std::vector<std::string>& arguments,
                      const Operation& operation) {
  std::string command = "export ANDROID_LOG_TAGS=\"''\"; exec logcat";
  for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
  return Run(*this, operation,
             [&](OperationRun& run) { return RunShell(run, serial, command, /*raw=*/false); });
}

Result Client::Push(const std::string& serial, const std::string& local_path,
                    const std::string& remote_path, const Operation& operation) {
  return Run(*this, operation, [&](OperationRun& run) {
    run.WatchPanelQueues(serial);
    if (!run.Query("host-serial:" + serial + ":features", "adb: error: failed to get feature set: "))
      return 1;
    std::unique_ptr<ServerConnection> connection = run.OpenTransport(serial, "adb: error: connect failed: ");
    if (!connection || !run.Request(*connection, "sync:", "adb: error: connect failed: ")) return 1;
    return SendFile(run, *connection, local_path, remote_path);
  });
}

int ServerPortFromEnvironment() {
  const char* text = std::getenv("ANDROID_ADB_SERVER_PORT");
  if (!text || !*text) return kDefaultPort;
  char* end = nullptr;
  const long port = std::strtol(text, &end, 10);
  return *end == '\0' && port > 0 && port <= 65535 ? static_cast<int>(port) : kDefaultPort;
}

}  // namespace adb
