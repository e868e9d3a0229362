// Child processes on Linux: pipes, posix_spawn, waiting and killing.
//
// Every pipe end this layer creates is close-on-exec, and a child gets its
// standard handles only through spawn file actions, so a child started by one
// thread never inherits the pipes another thread is wiring at the same moment.
// Each child leads a process group of its own, so it and whatever it forks can
// be killed together. All functions may be called from any thread.
//
// The first spawn makes this process ignore SIGPIPE (a write to a closed pipe
// or socket then fails with EPIPE instead of ending the program); children get
// the default disposition back. SIGCHLD is left alone: waiting needs it not to
// be ignored.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace platform {

struct Pipe {
  UniqueFd read_end;
  UniqueFd write_end;
};

// Creates a pipe with both ends close-on-exec. Returns 0 or an errno value.
int CreatePipe(Pipe& pipe);

struct SpawnRequest {
  // A path, or a name without '/' that is looked up on PATH.
  std::string program;
  // The child's argv; argv[0] is usually `program`. Must not be empty.
  std::vector<std::string> argv;
  // Empty: the child starts in the parent's current directory.
  std::string working_directory;
  // Become the child's standard input, output and error; -1 as `error_fd`
  // sends its errors to `output_fd` too.
  int input_fd = -1;
  int output_fd = -1;
  int error_fd = -1;
};

// Starts the child with the parent's environment, an empty signal mask and a
// new process group whose id is the child's pid. A program that cannot be
// executed (missing, not executable) is reported here, not by the child.
// Returns 0 and sets `pid`, or returns an errno value.
int SpawnChild(const SpawnRequest& request, pid_t& pid);

// Blocks until the child has exited, but leaves it unreaped: until ReapChild,
// its pid - and so the id of the process group it leads - cannot be reused,
// which makes KillProcessGroup safe to call meanwhile. Returns 0 or an errno.
int WaitUntilExited(pid_t pid);

// Reaps an exited (or exiting) child. Its exit code, or 128 + the signal that
// killed it. Returns 0 or an errno value (ECHILD when it is not our child).
int ReapChild(pid_t pid, int& exit_code);

// SIGKILL to the process group led by `leader`.
void KillProcessGroup(pid_t leader);

// Raises this process's soft limit on open descriptors to its hard limit, so
// hundreds of panels (a socket or pipes each) never run out. Children inherit
// it. Returns the soft limit in force afterwards.
std::uint64_t RaiseOpenFileLimit();

}  // namespace platform
