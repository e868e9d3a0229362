#include "engine/command_runner.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "engine/process.h"
#include "platform/executable_path.h"
#include "platform/file_attributes.h"
#include "platform/process.h"

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::wstring& message) {
  throw std::runtime_error(Utf16ToUtf8(message));
}

// read() that retries when a signal interrupts it.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

// Reads the merged output until every writer has closed the pipe, passing
// the decoded text to `sink`. False when the deadline passed first: the child
// is then killed with its process group.
bool ReadOutput(Process& process, std::chrono::milliseconds deadline, const OutputSink& sink) {
  Utf8StreamDecoder decoder;
  char buffer[Utf8StreamDecoder::kReadSize];
  const Clock::time_point end = Clock::now() + deadline;
  for (;;) {
    int wait = -1;
    if (deadline.count() > 0) {
      wait = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count());
      if (wait <= 0) {
        platform::KillProcessGroup(process.pid());
        process.Close();
        return false;
      }
    }
    pollfd watched{process.output_fd(), POLLIN, 0};
    const int ready = poll(&watched, 1, wait);
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    const ssize_t n = ready < 0 ? -1 : ReadSome(process.output_fd(), buffer, sizeof(buffer));
    if (n <= 0) {
      // Closing our ends lets a child blocked on a full pipe fail its write
      // and exit instead of blocking the wait.
      if (n < 0) process.Close();
      return true;
    }
    decoder.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), sink);
  }
}

CommandResult RunArguments(const std::vector<std::string>& argv, std::chrono::milliseconds deadline,
                           const std::wstring& command) {
  Process process;
  if (const int code = process.Start(argv)) Fail(FormatString(L"can not create process, error(%d)", code));
  CommandResult result;
  const bool ended = ReadOutput(process, deadline, [&result](std::wstring_view text) { result.output += text; });
  int exit_code = -1;
  if (!process.WaitForExit(exit_code)) Fail(FormatString(L"wait for exit failed, error(%d)", -2));
  if (!ended) {
    CommandBound bound;
    bound.deadline = deadline;
    ThrowCut(CutReason::kDeadline, command, bound);
  }
  result.exit_code = exit_code;
  return result;
}

}  // namespace

CommandResult RunCommand(const std::wstring& command_line, std::chrono::milliseconds deadline) {
  return RunArguments(CommandLineArguments(command_line), deadline, command_line);
}

std::string LocateAdb(const std::string& program_folder) {
  if (!program_folder.empty()) {
    const std::string beside = program_folder + "adb/adb";
    if (platform::FileExists(beside)) return beside;
  }
  std::string on_path = platform::FindOnPath("adb");
  if (on_path.empty()) Fail(L"adb not found");
  return on_path;
}

CommandResult StartAdbServer(std::chrono::milliseconds deadline) {
  const std::string adb = LocateAdb(platform::ExecutableDirectory());
  return RunArguments({adb, "start-server"}, deadline, L"adb start-server");
}

std::wstring ExtractInterfaceMac(const std::wstring& output, const std::wstring& interface_name) {
  static constexpr std::wstring_view kMarker = L"HWaddr";
  std::size_t begin = 0;
  while (begin < output.size()) {
    std::size_t end = output.find(L'\n', begin);
    if (end == std::wstring::npos) end = output.size();
    const std::wstring_view line(output.data() + begin, end - begin);
    const std::size_t marker = line.find(kMarker);
    if (marker != std::wstring_view::npos &&
        line.find(interface_name) != std::wstring_view::npos) {
      std::wstring mac(line.substr(marker + kMarker.size()));
      return Trim(mac);
    }
    begin = end + 1;
  }
  return {};
}
