#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

extern char** environ;

namespace platform {
namespace {

void IgnoreBrokenPipeOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    sigaction(SIGPIPE, nullptr, &action);
    // A handler installed by the program itself stays.
    if (action.sa_handler == SIG_DFL) {
      action.sa_handler = SIG_IGN;
      sigaction(SIGPIPE, &action, nullptr);
    }
  });
}

// Spawn attributes and file actions, destroyed on every path out.
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

  int Prepare(const SpawnRequest& request) {
    if (!actions_ok_ || !attributes_ok_) return ENOMEM;
    const int error_fd = request.error_fd >= 0 ? request.error_fd : request.output_fd;
    int error = posix_spawn_file_actions_adddup2(&actions_, request.input_fd, STDIN_FILENO);
    if (!error) error = posix_spawn_file_actions_adddup2(&actions_, request.output_fd, STDOUT_FILENO);
    if (!error) error = posix_spawn_file_actions_adddup2(&actions_, error_fd, STDERR_FILENO);
    if (!error && !request.working_directory.empty())
      error = posix_spawn_file_actions_addchdir_np(&actions_, request.working_directory.c_str());
    if (error) return error;

    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    error = posix_spawnattr_setflags(
        &attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (!error) error = posix_spawnattr_setpgroup(&attributes_, 0);
    if (!error) error = posix_spawnattr_setsigmask(&attributes_, &empty);
    if (!error) error = posix_spawnattr_setsigdefault(&attributes_, &defaults);
    return error;
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  bool actions_ok_ = false;
  bool attributes_ok_ = false;
};

}  // namespace

int CreatePipe(Pipe& pipe) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return errno;
  pipe.read_end.Reset(fds[0]);
  pipe.write_end.Reset(fds[1]);
  return 0;
}

int SpawnChild(const SpawnRequest& request, pid_t& pid) {
  if (request.argv.empty() || request.program.empty()) return EINVAL;
  IgnoreBrokenPipeOnce();
  SpawnSetup setup;
  if (const int error = setup.Prepare(request)) return error;

  std::vector<char*> argv;
  argv.reserve(request.argv.size() + 1);
  for (const std::string& arg : request.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // glibc's posix_spawn waits until the exec has succeeded or failed, so a
  // missing program comes back as ENOENT here rather than as a child's exit.
  return posix_spawnp(&pid, request.program.c_str(), setup.actions(), setup.attributes(),
                      argv.data(), environ);
}

int WaitUntilExited(pid_t pid) {
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

int ReapChild(pid_t pid, int& exit_code) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return errno;
  }
  if (WIFEXITED(status)) {
    exit_code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exit_code = 128 + WTERMSIG(status);
  } else {
    exit_code = -1;
  }
  return 0;
}

void KillProcessGroup(pid_t leader) {
  if (leader > 0) kill(-leader, SIGKILL);
}

std::uint64_t RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return static_cast<std::uint64_t>(limit.rlim_cur);
}

}  // namespace platform
