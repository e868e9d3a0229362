#include "settings/dialog_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace {

// Spawn attributes and file actions, released on every path out.
class SpawnSetup {
 public:
  SpawnSetup() {
    actions_ok_ = posix_spawn_file_actions_init(&actions_) == 0;
    attributes_ok_ = posix_spawnattr_init(&attributes_) == 0;
  }
  ~SpawnSetup() {
    if (actions_ok_) posix_spawn_file_actions_destroy(&actions_);
    if (attributes_ok_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // The answer goes to `output_fd`; the dialog's warnings to /dev/null, so
  // they never mix into a path.
  bool Prepare(int null_fd, int output_fd) {
    if (!actions_ok_ || !attributes_ok_) return false;
    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    return posix_spawn_file_actions_adddup2(&actions_, null_fd, STDIN_FILENO) == 0 &&
           posix_spawn_file_actions_adddup2(&actions_, output_fd, STDOUT_FILENO) == 0 &&
           posix_spawn_file_actions_adddup2(&actions_, null_fd, STDERR_FILENO) == 0 &&
           posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                      POSIX_SPAWN_SETSIGDEF) == 0 &&
           posix_spawnattr_setpgroup(&attributes_, 0) == 0 &&
           posix_spawnattr_setsigmask(&attributes_, &empty) == 0 &&
           posix_spawnattr_setsigdefault(&attributes_, &defaults) == 0;
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  bool actions_ok_ = false;
  bool attributes_ok_ = false;
};

void ReadToEnd(int fd, std::string& out) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      out.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return;
    }
  }
}

}  // namespace

DialogProcess::Outcome DialogProcess::Run(const std::vector<std::string>& argv) {
  Outcome outcome;
  if (argv.empty()) return outcome;
  platform::Pipe pipe;
  const platform::UniqueFd null_device(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!null_device.valid() || platform::CreatePipe(pipe) != 0) return outcome;
  SpawnSetup setup;
  if (!setup.Prepare(null_device.get(), pipe.write_end.get())) return outcome;

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  {
    // Spawning under the lock: a Cancel either comes first and nothing
    // starts, or finds the child to kill.
    std::lock_guard lock(mutex_);
    if (cancelled_) return outcome;
    if (posix_spawn(&pid, argv[0].c_str(), setup.actions(), setup.attributes(), args.data(),
                    environ) != 0)
      return outcome;
    pid_ = pid;
  }
  outcome.started = true;
  pipe.write_end.Reset();
  ReadToEnd(pipe.read_end.get(), outcome.output);
  // Exited but unreaped, the pid cannot be reused, so a Cancel meanwhile
  // still kills the right group.
  platform::WaitUntilExited(pid);
  std::lock_guard lock(mutex_);
  platform::ReapChild(pid, outcome.exit_code);
  pid_ = 0;
  return outcome;
}

void DialogProcess::Cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (pid_ > 0) platform::KillProcessGroup(pid_);
}
