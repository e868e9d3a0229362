#include "app/update_launcher.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "app/build_version.h"
#include "platform/detached_process.h"
#include "platform/executable_path.h"

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
  return platform::LaunchDetached({folder + kUpdaterName, UpdaterArgument()});
}

void LaunchUpdater() { StartUpdaterIn(platform::ExecutableDirectory()); }
