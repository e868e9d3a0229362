// A dialog program run as a child process whose standard output is the
// answer: standard input and error on /dev/null, a process group of its
// own, every descriptor of ours close-on-exec.
//
// Threads: Run blocks its thread until the dialog has ended (not until every
// holder of its output has closed it); Cancel may be
// called from any other thread and ends a running dialog (and every dialog
// Run would start afterwards) at once. The object must outlive Run.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

class DialogProcess {
 public:
  struct Outcome {
    bool started = false;
    int exit_code = -1;  // 128 + signal for a killed dialog
    std::string output;
  };

  // `argv[0]` is the program's path.
  Outcome Run(const std::vector<std::string>& argv);
  void Cancel();

 private:
  std::mutex mutex_;
  pid_t pid_ = 0;  // a started, not yet reaped child
  bool cancelled_ = false;
};
