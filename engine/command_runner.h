// Running child processes and capturing what they print. The adb operations
// of a pass go over the adb server's socket (adb/adb_client.h); what still
// needs a child is starting that server.
//
// All calls are synchronous and block the calling thread until the child has
// closed its output and exited. They share no state apart from the
// process-wide list of live children (see child_registry.h), so any number of
// threads may call them at once. Failures are std::runtime_error with a UTF-8
// message:
//   "can not create process, error(N)"  the child could not be started (N is a
//                                        Process start code; a missing program
//                                        gives -5)
//   "wait for exit failed, error(-2)"    the child's exit could not be read
//   "adb not found"                      no adb beside the program nor on PATH
//   "<command>: no answer within N s"    the deadline passed (CommandInterrupted)
//
// Children never run through a shell and get no usable standard input (it
// delivers nothing and never ends).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "engine/command_limits.h"

struct CommandResult {
  int exit_code = -1;   // the child's exit code; 128 + signal when it was killed
  std::wstring output;  // stdout and stderr merged, in the order written
};

// Receives a command's output as it is read, decoded; called on the thread
// that runs the command. A command given a sink leaves CommandResult::output
// empty, so a caller that only looks for something keeps no more than it needs.
using OutputSink = std::function<void(std::wstring_view text)>;

// Runs one command line (split into argv by the Windows command-line rules:
// blanks separate words, double quotes group; never through a shell).
// Output is decoded as a UTF-8 stream; the bytes of a read that are not UTF-8
// add nothing, the rest of the output is kept. With a deadline (not zero),
// the child is killed with its process group when it has not ended by then.
CommandResult RunCommand(const std::wstring& command_line,
                         std::chrono::milliseconds deadline = std::chrono::milliseconds(0));

// "adb start-server" (adb/adb beside the executable, else adb on PATH, looked
// up on every call), with the parent's environment (so ANDROID_ADB_SERVER_PORT
// chooses the server), ended after `deadline`. Exit code not examined.
CommandResult StartAdbServer(std::chrono::milliseconds deadline);

// The MAC after "HWaddr" on the first line of an ifconfig listing that names
// the interface, trimmed; empty when there is none.
std::wstring ExtractInterfaceMac(const std::wstring& output, const std::wstring& interface_name);

// The adb path StartAdbServer uses for a program in `program_folder` (ending
// in '/'): "<folder>adb/adb" when it exists, else adb on PATH; throws "adb not
// found".
std::string LocateAdb(const std::string& program_folder);
