#include "settings/file_opener.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "base/thread_registry.h"
#include "base/time.h"
#include "platform/process.h"
#include "platform/unique_fd.h"

namespace {

constexpr int kReapIntervalMs = 500;

// Reaps `pid` once it has exited; until then looks again later on this
// thread's loop. The task holds nothing but the pid.
void ReapWhenExited(pid_t pid) {
  pid_t result;
  do {
    result = ::waitpid(pid, nullptr, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result != 0) return;  // reaped, or not ours to wait for
  vbase::ThreadRegistry::PostDelayedTask([pid] { ReapWhenExited(pid); },
                                         vbase::TimeDelta::FromMilliseconds(kReapIntervalMs));
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

bool LaunchDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  const platform::UniqueFd null_device(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!null_device.valid()) return false;
  platform::SpawnRequest request;
  request.program = argv[0];
  request.argv = argv;
  request.input_fd = null_device.get();
  request.output_fd = null_device.get();
  request.error_fd = null_device.get();
  pid_t pid = 0;
  if (platform::SpawnChild(request, pid) != 0) return false;
  ReapWhenExited(pid);
  return true;
}

std::vector<std::vector<std::string>> FileOpenCommands(const std::string& path) {
  std::vector<std::vector<std::string>> commands;
  commands.push_back({"xdg-open", path});
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    const char* value = std::getenv(variable);
    std::vector<std::string> command = SplitAtBlanks(value ? value : "");
    if (command.empty()) continue;
    command.push_back(path);
    commands.push_back(std::move(command));
  }
  return commands;
}

bool OpenFileDetached(const std::string& path) {
  for (const std::vector<std::string>& command : FileOpenCommands(path)) {
    if (LaunchDetached(command)) return true;
  }
  return false;
}
