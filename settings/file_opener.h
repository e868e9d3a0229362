// Opening a file in the desktop's viewer or the user's editor, without
// waiting for it.
//
// The program is started detached, with an argv array (never through a
// shell) and reaped when it ends (platform/detached_process.h).
//
// Threads: any; the settings window calls it on the UI thread.
#pragma once

#include <string>
#include <vector>

// The commands tried in turn for `path` (UTF-8): "xdg-open PATH", then
// $VISUAL and then $EDITOR, each split at blanks into the program and its
// leading arguments, with PATH as the last argument. Unset or blank
// variables are skipped.
std::vector<std::vector<std::string>> FileOpenCommands(const std::string& path);

// Starts the first of FileOpenCommands(path) that can be started. False when
// none could.
bool OpenFileDetached(const std::string& path);
