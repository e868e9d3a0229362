// Starting a program that lives on its own: the updater, the user's editor.
//
// The program gets an argv array (never a shell), a process group of its
// own and /dev/null as standard input, output and error, so it keeps running
// when this program ends. Nobody waits for it; a detached thread reaps it
// when it exits, so no zombie stays behind (should no thread be available,
// it stays a zombie until this program ends).
//
// Threads: any.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts `argv` (argv[0] a path, or a name looked up on PATH). False when it
// could not be started (no such program, not executable).
bool LaunchDetached(const std::vector<std::string>& argv);

}  // namespace platform
