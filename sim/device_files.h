// Where a panel's files live on the simulator's disk: device path "/a/b" is
// ROOT/a/b. Pure functions.
#pragma once

#include <optional>
#include <string>

namespace sim {

// The host path for an absolute device path; nullopt for a relative path, an
// empty one, a ".." component or a NUL byte (nothing may leave the root).
std::optional<std::string> MapDevicePath(const std::string& root, const std::string& device_path);

}  // namespace sim
