#include "sim/device_files.h"

namespace sim {

std::optional<std::string> MapDevicePath(const std::string& root, const std::string& device_path) {
  if (device_path.empty() || device_path[0] != '/') return std::nullopt;
  if (device_path.find('\0') != std::string::npos) return std::nullopt;
  std::string mapped = root;
  size_t start = 0;
  while (start < device_path.size()) {
    size_t end = device_path.find('/', start);
    if (end == std::string::npos) end = device_path.size();
    const std::string part = device_path.substr(start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") mapped += "/" + part;
    start = end + 1;
  }
  return mapped;
}

}  // namespace sim
