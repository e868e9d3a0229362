#include "platform/detached_process.h"

#include <fcntl.h>

#include <system_error>
#include <thread>

#include "platform/process.h"
#include "platform/unique_fd.h"

namespace platform {

bool LaunchDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  const UniqueFd null_device(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!null_device.valid()) return false;
  SpawnRequest request;
  request.program = argv[0];
  request.argv = argv;
  request.input_fd = null_device.get();
  request.output_fd = null_device.get();
  request.error_fd = null_device.get();
  pid_t pid = 0;
  if (SpawnChild(request, pid) != 0) return false;
  try {
    std::thread([pid] {
      int exit_code = 0;
      ReapChild(pid, exit_code);
    }).detach();
  } catch (const std::system_error&) {
    // The program runs anyway; it stays a zombie until we exit.
  }
  return true;
}

}  // namespace platform
