#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Finished {
  int spawn_error = 0;
  int exit_code = -1;
  std::string output;
};

std::string ReadToEnd(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// A child on the layer's own pipes; `separate_errors` gives its stderr a
// pipe of its own instead of the output pipe.
struct Child {
  explicit Child(std::vector<std::string> argv, std::string working_directory = {}, bool separate_errors = false) {
    EXPECT_EQ(CreatePipe(input), 0);
    EXPECT_EQ(CreatePipe(output), 0);
    EXPECT_EQ(CreatePipe(errors), 0);
    SpawnRequest request{argv.front(), std::move(argv), std::move(working_directory), input.read_end.get(),
                         output.write_end.get(), separate_errors ? errors.write_end.get() : -1};
    spawn_error = SpawnChild(request, pid);
    input.read_end.Reset();
    output.write_end.Reset();
    errors.write_end.Reset();
  }
  std::string Output() { return ReadToEnd(output.read_end.get()); }
  int Reap() {
    int code = -1;
    EXPECT_EQ(WaitUntilExited(pid), 0);
    EXPECT_EQ(ReapChild(pid, code), 0);
    return code;
  }

  Pipe input, output, errors;
  pid_t pid = -1;
  int spawn_error = 0;
};

// Spawns, reads everything, waits.
Finished RunToEnd(std::vector<std::string> argv, std::string working_directory = {}) {
  Child child(std::move(argv), std::move(working_directory));
  if (child.spawn_error) return Finished{child.spawn_error, -1, {}};
  std::string output = child.Output();
  return Finished{0, child.Reap(), std::move(output)};
}

Finished Shell(const std::string& script) { return RunToEnd({"/bin/sh", "-c", script}); }

TEST(SpawnChild, ReportsAProgramThatCannotBeExecuted) {
  EXPECT_EQ(RunToEnd({"fleetsync-no-such-program"}).spawn_error, ENOENT);
  EXPECT_EQ(RunToEnd({"/nonexistent/folder/tool"}).spawn_error, ENOENT);
  const std::string plain = std::filesystem::temp_directory_path() /
                            ("fleetsync-plain-" + std::to_string(getpid()));
  std::ofstream(plain) << "not a program\n";
  EXPECT_EQ(RunToEnd({plain}).spawn_error, EACCES);
  std::filesystem::remove(plain);
  EXPECT_EQ(RunToEnd({"/bin/true"}, "/nonexistent/folder").spawn_error, ENOENT);
}

// With the output by default: the command runner's interleaved streams.
TEST(SpawnChild, ErrorsGetADescriptorOfTheirOwnWhenGivenOne) {
  Child child({"/bin/sh", "-c", "echo out; echo err >&2"}, {}, true);
  ASSERT_EQ(child.spawn_error, 0);
  // Small enough to sit in the pipe, so reading one after the other cannot block.
  EXPECT_EQ(child.Output(), "out\n");
  EXPECT_EQ(ReadToEnd(child.errors.read_end.get()), "err\n");
  EXPECT_EQ(child.Reap(), 0);
}

TEST(SpawnChild, ChildInheritsNoPipeOfThisProcess) {
  Pipe created;  // e.g. another worker's capture pipe, being set up right now
  ASSERT_EQ(CreatePipe(created), 0);
  // Moved, with the flags CreatePipe gave them, to numbers that the child's
  // own files (ls opens its folder) cannot get.
  const auto moved = [](const UniqueFd& fd) {
    const int copy = fcntl(fd.get(), F_DUPFD, 600);
    fcntl(copy, F_SETFD, fcntl(fd.get(), F_GETFD));
    return UniqueFd(copy);
  };
  Pipe unrelated{moved(created.read_end), moved(created.write_end)};
  ASSERT_TRUE(unrelated.read_end.valid() && unrelated.write_end.valid());
  const Finished f = RunToEnd({"/bin/ls", "/proc/self/fd"});
  std::set<int> fds;
  std::istringstream lines(f.output);
  for (int fd; lines >> fd;) fds.insert(fd);
  EXPECT_FALSE(fds.count(unrelated.read_end.get())) << f.output;
  EXPECT_FALSE(fds.count(unrelated.write_end.get())) << f.output;
  EXPECT_TRUE(fds.count(0) && fds.count(1) && fds.count(2)) << f.output;
}

TEST(SpawnChild, ChildGetsDefaultSigpipeAndAnEmptySignalMask) {
  // yes must die of SIGPIPE silently; with SIGPIPE ignored it would complain.
  const Finished f = Shell("yes | head -c 1");
  EXPECT_EQ(f.output, "y");
  struct sigaction parent {};
  sigaction(SIGPIPE, nullptr, &parent);
  EXPECT_EQ(parent.sa_handler, SIG_IGN);

  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  const Finished g = Shell("kill -TERM $$; sleep 5");
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  EXPECT_EQ(g.exit_code, 128 + SIGTERM);
}

TEST(WaitUntilExited, LeavesTheChildForReapChild) {
  Child child({"/bin/sh", "-c", "exit 5"});
  ASSERT_EQ(child.spawn_error, 0);
  ASSERT_EQ(WaitUntilExited(child.pid), 0);
  EXPECT_EQ(kill(child.pid, 0), 0);  // still a zombie: pid and group id stay reserved
  int code = 0;
  ASSERT_EQ(ReapChild(child.pid, code), 0);
  EXPECT_EQ(code, 5);
  EXPECT_EQ(ReapChild(child.pid, code), ECHILD);
}

void CountSignal(int) {}

TEST(WaitUntilExited, RetriesWhenSignalsInterruptIt) {
  struct sigaction action {};
  action.sa_handler = CountSignal;  // no SA_RESTART: every tick interrupts the wait
  struct sigaction previous {};
  sigaction(SIGALRM, &action, &previous);
  itimerval tick{{0, 2000}, {0, 2000}};
  setitimer(ITIMER_REAL, &tick, nullptr);
  const Finished f = Shell("sleep 0.2; echo done");
  itimerval off{};
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  EXPECT_EQ(f.output, "done\n");
  EXPECT_EQ(f.exit_code, 0);
}

}  // namespace
}  // namespace platform
