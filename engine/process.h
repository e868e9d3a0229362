// One child process with its standard handles redirected to pipes.
//
// Start spawns the program directly from an argv (never through a shell).
// The child's standard output and standard error are the write end of one
// pipe, so the parent reads both merged in the order they were written. Its
// standard input is the read end of another pipe whose write end the parent
// keeps open and never writes: the child's input delivers nothing and never
// ends while the Process lives. The parent's ends are close-on-exec, and the
// child's ends are closed in the parent as soon as the child has started.
//
// Ownership: the object owns its pipe ends and its child. The destructor
// closes the pipes; a child that was started but not waited for is killed
// (with its process group) and reaped, so no zombie and no registry entry
// outlive the object. One thread uses a Process at a time.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/unique_fd.h"

// The UTF-8 argv of a Windows-style command line (see
// platform/process_command_line.h for the rules).
std::vector<std::string> CommandLineArguments(const std::wstring& command_line);

class Process {
 public:
  // `working_directory` empty: the child inherits the parent's.
  explicit Process(std::wstring working_directory = {});
  virtual ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Start codes. Both ends of a pipe are created close-on-exec in one step,
  // so there is no separate marking step that could fail: the Windows codes
  // -2 and -4 for it never occur here.
  static constexpr int kOutputPipeFailed = -1;
  static constexpr int kInputPipeFailed = -3;
  static constexpr int kSpawnFailed = -5;  // also: program missing or not executable

  // Starts CommandLineArguments(command_line): the first word is the
  // program, looked up on PATH when it holds no '/'. 0 on success, else one
  // of the codes above; on failure every pipe end created so far is closed.
  // A Process starts one child only; a second Start fails.
  int Start(const std::wstring& command_line);
  // The same for an argv of UTF-8 words.
  int Start(const std::vector<std::string>& argv);

  // Closes every pipe end still open. Closing the input write end ends the
  // child's standard input.
  void Close();

  // The parent's end of the merged output; -1 before a successful start.
  int output_fd() const { return output_read_.get(); }
  pid_t pid() const { return pid_; }

  // Blocks until the child has exited and reaps it. Its exit code, 128 + the
  // signal when it was killed. Returns false when waiting failed (no child,
  // or it was already reaped).
  bool WaitForExit(int& exit_code);

 private:
  std::wstring working_directory_;
  // The parent's ends; the child's ends live only while it is being started.
  platform::UniqueFd input_write_;
  platform::UniqueFd output_read_;
  pid_t pid_ = -1;  // the child until it is reaped
};
