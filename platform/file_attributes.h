// File-system queries on paths given as UTF-8 bytes.
#pragma once

#include <string>

namespace platform {

// Whether anything (file, folder, device) exists at `path`; a dangling
// symbolic link counts as missing.
bool FileExists(const std::string& path);

}  // namespace platform
