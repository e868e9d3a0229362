// Child processes for end-to-end tests: run a program and capture what it
// prints, or keep one running in the background.
//
// Children start through posix_spawnp (PATH lookup, the test's environment),
// read standard input from /dev/null (adb forwards its stdin to raw shells)
// and write stdout and stderr into one pipe. A BackgroundProcess reads that
// pipe on its own thread; its destructor kills (SIGKILL) and reaps the child
// if it still runs, then joins the thread. Thread-safe per object.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fleetsync_test {

struct ProcessResult {
  int exit_code = -1;  // 128 + signal when killed
  std::string output;  // stdout and stderr, in the order written
  bool timed_out = false;
};

class BackgroundProcess {
 public:
  // Throws std::runtime_error when the program cannot be started.
  explicit BackgroundProcess(const std::vector<std::string>& argv);
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  ~BackgroundProcess();

  // Waits for the child to exit; on time-out kills it and reports timed_out.
  ProcessResult Wait(std::chrono::milliseconds timeout);
  // Waits until the output contains `text`; false on time-out or exit first.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);
  std::string OutputSoFar() const;
  // Sends a signal to the child while it runs.
  void Signal(int signal_number);
  pid_t pid() const { return pid_; }

 private:
  void ReadOutput(int fd);
  void Reap(bool kill_first);

  pid_t pid_ = -1;
  int exit_code_ = -1;
  bool reaped_ = false;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string output_;
  bool output_closed_ = false;
  std::thread reader_;
};

// Runs `argv` to its end (or kills it after `timeout`).
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace fleetsync_test
