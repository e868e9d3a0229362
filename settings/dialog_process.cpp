#include "settings/dialog_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process.h"
#include "platform/unique_fd.h"

namespace {

// Reads what is there; false at end of file or on an error.
bool ReadAvailable(int fd, std::string& out) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      out.append(buffer, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && errno == EAGAIN;
    }
  }
}

// Reads the dialog's answer until it has ended. Not until end of file: a
// helper the dialog left behind may hold the pipe open for ever.
void ReadUntilExit(pid_t pid, int fd, std::string& out) {
  const platform::UniqueFd exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  pollfd watched[2] = {{fd, POLLIN, 0}, {exited.get(), POLLIN, 0}};
  const nfds_t count = exited.valid() ? 2 : 1;
  for (;;) {
    if (::poll(watched, count, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[0].revents && !ReadAvailable(fd, out)) return;
    if (count == 2 && watched[1].revents) {
      ReadAvailable(fd, out);  // what it wrote before it ended
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
  platform::SpawnRequest request;
  request.program = argv[0];
  request.argv = argv;
  request.input_fd = null_device.get();
  request.output_fd = pipe.write_end.get();
  // The dialog's warnings must never mix into the answer (a path).
  request.error_fd = null_device.get();
  pid_t pid = 0;
  {
    // Spawning under the lock: a Cancel either comes first and nothing
    // starts, or finds the child to kill.
    std::lock_guard lock(mutex_);
    if (cancelled_) return outcome;
    if (platform::SpawnChild(request, pid) != 0) return outcome;
    pid_ = pid;
  }
  outcome.started = true;
  pipe.write_end.Reset();
  ReadUntilExit(pid, pipe.read_end.get(), outcome.output);
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
