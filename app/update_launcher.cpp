#include "app/update_launcher.h"

#include <fcntl.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <system_error>
#include <thread>

#include "app/build_version.h"
#include "platform/executable_path.h"
#include "platform/process.h"
#include "platform/unique_fd.h"

namespace {

constexpr char kUpdaterName[] = "update";

}  // namespace

std::string UpdaterArgument() {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.StartObject();
  writer.Key("title");
  writer.String("Lumora 批量升级工具");
  writer.Key("app_name");
  writer.String("fleetsync");
  writer.Key("current_version");
  writer.String(kAppVersion);
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

bool StartUpdaterIn(const std::string& folder) {
  if (folder.empty()) return false;
  const platform::UniqueFd null_device(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!null_device.valid()) return false;

  platform::SpawnRequest request;
  request.program = folder + kUpdaterName;
  request.argv = {request.program, UpdaterArgument()};
  request.input_fd = null_device.get();
  request.output_fd = null_device.get();
  pid_t pid = 0;
  if (platform::SpawnChild(request, pid) != 0) return false;

  // The updater outlives any wait we could afford; a detached thread reaps
  // it whenever it ends (and dies with the program if that comes first).
  try {
    std::thread([pid] {
      int exit_code = 0;
      platform::ReapChild(pid, exit_code);
    }).detach();
  } catch (const std::system_error&) {
    // No thread: the updater runs anyway and stays a zombie until we exit.
  }
  return true;
}

void LaunchUpdater() { StartUpdaterIn(platform::ExecutableDirectory()); }
