#include "engine/process.h"

#include "base/text.h"
#include "engine/child_registry.h"
#include "platform/process.h"
#include "platform/process_command_line.h"

Process::Process(std::wstring working_directory)
    : working_directory_(std::move(working_directory)) {}

Process::~Process() {
  Close();
  if (pid_ > 0) {
    platform::KillProcessGroup(pid_);
    int ignored = 0;
    WaitForExit(ignored);
  }
}

std::vector<std::string> CommandLineArguments(const std::wstring& command_line) {
  std::vector<std::string> argv;
  for (const std::wstring& word : platform::SplitCommandLine(command_line))
    argv.push_back(Utf16ToUtf8(word));
  return argv;
}

int Process::Start(const std::wstring& command_line) { return Start(CommandLineArguments(command_line)); }

int Process::Start(const std::vector<std::string>& argv) {
  if (pid_ > 0 || output_read_.valid()) return kSpawnFailed;
  platform::Pipe output;
  if (platform::CreatePipe(output) != 0) return kOutputPipeFailed;
  platform::Pipe input;
  if (platform::CreatePipe(input) != 0) return kInputPipeFailed;
  if (argv.empty()) return kSpawnFailed;

  platform::SpawnRequest request;
  request.program = argv.front();
  request.argv = argv;
  request.working_directory = Utf16ToUtf8(working_directory_);
  request.input_fd = input.read_end.get();
  request.output_fd = output.write_end.get();
  pid_t pid = -1;
  if (platform::SpawnChild(request, pid) != 0) return kSpawnFailed;
  pid_ = pid;
  RegisterChild(pid_);

  // The child's ends are closed here (by `input` and `output` going out of
  // scope), so the output ends when the child and its descendants close it.
  output_read_ = std::move(output.read_end);
  input_write_ = std::move(input.write_end);
  return 0;
}

void Process::Close() {
  input_write_.Reset();
  output_read_.Reset();
}

bool Process::WaitForExit(int& exit_code) {
  if (pid_ <= 0) return false;
  const int wait_error = platform::WaitUntilExited(pid_);
  UnregisterChild(pid_);
  const pid_t pid = pid_;
  pid_ = -1;
  if (wait_error != 0) return false;
  return platform::ReapChild(pid, exit_code) == 0;
}
