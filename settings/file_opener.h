// Opening a file in the desktop's viewer or the user's editor, without
// waiting for it.
//
// The program is started with an argv array (never through a shell), in a
// process group of its own, with standard input, output and error on
// /dev/null, so it keeps running when this program ends. It is not waited
// for: a task on the calling thread's message loop looks every half second
// whether it has exited and reaps it, so no zombie stays. Without a loop on
// the calling thread the exited child stays a zombie until this program ends.
//
// Threads: call on a thread with a running vbase message loop (the UI
// thread).
#pragma once

#include <string>
#include <vector>

// Starts `argv` (argv[0] a path, or a name looked up on PATH) detached.
// False when it could not be started (no such program, not executable).
bool LaunchDetached(const std::vector<std::string>& argv);

// The commands tried in turn for `path` (UTF-8): "xdg-open PATH", then
// $VISUAL and then $EDITOR, each split at blanks into the program and its
// leading arguments, with PATH as the last argument. Unset or blank
// variables are skipped.
std::vector<std::vector<std::string>> FileOpenCommands(const std::string& path);

// Starts the first of FileOpenCommands(path) that can be started. False when
// none could.
bool OpenFileDetached(const std::string& path);
