#include "platform/file_attributes.h"

#include <sys/stat.h>

namespace platform {

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

}  // namespace platform
