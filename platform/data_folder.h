// The per-user local application-data folder, as the XDG base-directory rules
// define it: $XDG_DATA_HOME, else $HOME/.local/share.
//
// Reads the environment on every call (no caching), so tests may point it at a
// temporary folder. Safe on any thread as long as nobody changes the
// environment at the same time.
#pragma once

#include <string>

namespace platform {

// The folder, without a trailing slash. A variable that is unset, empty, not
// an absolute path or not valid UTF-8 is ignored. Empty when neither variable
// gives a folder: callers must then report that there is nowhere to keep data
// rather than fall back to the current directory.
std::wstring FindLocalAppDataDirectory();

}  // namespace platform
