// Where the running program and other programs live.
#pragma once

#include <string>

namespace platform {

// The folder of the running executable, ending in '/'; empty when it cannot
// be determined.
std::string ExecutableDirectory();

// The full path of the first regular, executable file called `name` in the
// folders of PATH (the system's default search path when PATH is unset);
// empty when there is none. Empty PATH entries (the current folder) are
// skipped, so a file that happens to lie in the working folder is never run.
std::string FindOnPath(const std::string& name);

}  // namespace platform
