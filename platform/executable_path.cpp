#include "platform/executable_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace platform {

std::string ExecutableDirectory() {
  // readlink neither terminates the text nor says whether it was cut, so the
  // buffer grows until the link fits with room to spare.
  std::string path(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FindOnPath(const std::string& name) {
  std::string search_path;
  if (const char* path = std::getenv("PATH")) {
    search_path = path;
  } else {
    search_path.resize(confstr(_CS_PATH, nullptr, 0));
    confstr(_CS_PATH, search_path.data(), search_path.size());
    search_path.resize(search_path.find('\0'));
  }
  std::string_view rest = search_path;
  for (;;) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    if (!folder.empty()) {
      std::string candidate(folder);
      if (candidate.back() != '/') candidate += '/';
      candidate += name;
      struct stat info {};
      if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

}  // namespace platform
