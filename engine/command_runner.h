// Running child processes (above all `adb`) and capturing what they print.
//
// All calls are synchronous and block the calling thread until the child has
// closed its output and exited. They share no state apart from the
// process-wide list of live children (see EndAllChildren), so any number of
// worker threads may call them at once. Failures are std::runtime_error with
// a UTF-8 message.
#pragma once

#include <string>
#include <vector>

class ChildGroup;

struct CommandResult {
  int exit_code = -1;   // the child's exit code; 128 + signal when it was killed
  std::wstring output;  // stdout and stderr merged, in the order written
};

// Runs one command line (split into argv by the Windows command-line rules:
// blanks separate words, double quotes group; never through a shell).
// With a group, the child belongs to it: a cancelled group refuses to start it.
CommandResult RunCommand(const std::wstring& command_line, ChildGroup* group = nullptr);

// Runs `adb` (adb/adb beside the executable, else adb on PATH) with the tokens
// after it. A token may hold several words ("shell getprop ro.app.name") and a
// path may be passed enclosed in double quotes. Exit code not examined.
CommandResult RunAdb(const std::vector<std::wstring>& tokens, ChildGroup* group = nullptr);

// As RunAdb, but a non-zero exit code throws "adb <tokens> failed, return value N".
CommandResult RunAdbStrict(const std::vector<std::wstring>& tokens, ChildGroup* group = nullptr);

// The MAC after "HWaddr" on the first line of an ifconfig listing that names
// the interface, trimmed; empty when there is none.
std::wstring ExtractInterfaceMac(const std::wstring& output, const std::wstring& interface_name);
