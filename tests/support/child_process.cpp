#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace fleetsync_test {
namespace {

int ExitCodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) throw std::runtime_error("no program to run");
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const int error = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (error != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
  }
  reader_ = std::thread([this, fd = fds[0]] { ReadOutput(fd); });
}

BackgroundProcess::~BackgroundProcess() {
  Reap(true);
  if (reader_.joinable()) reader_.join();
}

void BackgroundProcess::ReadOutput(int fd) {
  char buffer[16384];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buffer, size_t(got));
    changed_.notify_all();
  }
  close(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  output_closed_ = true;
  changed_.notify_all();
}

void BackgroundProcess::Reap(bool kill_first) {
  if (reaped_) return;
  if (kill_first) kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
  exit_code_ = ExitCodeOf(status);
}

ProcessResult BackgroundProcess::Wait(std::chrono::milliseconds timeout) {
  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!reaped_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      exit_code_ = ExitCodeOf(status);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timed_out = true;
      Reap(true);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The output ends when every writer closed it; a grandchild (the adb
  // server) never holds it, so this is short.
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, std::chrono::seconds(5), [this] { return output_closed_; });
  result.exit_code = exit_code_;
  result.output = output_;
  return result;
}

bool BackgroundProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return output_.find(text) != std::string::npos || output_closed_;
  }) && output_.find(text) != std::string::npos;
}

std::string BackgroundProcess::OutputSoFar() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return output_;
}

void BackgroundProcess::Signal(int signal_number) {
  if (!reaped_) kill(pid_, signal_number);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
  BackgroundProcess process(argv);
  return process.Wait(timeout);
}

}  // namespace fleetsync_test
