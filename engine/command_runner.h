// Running child processes (above all `adb`) and capturing what they print.
//
// All calls are synchronous and block the calling thread until the child has
// closed its output and exited. They share no state apart from the
// process-wide list of live children (see child_group.h), so any number of
// worker threads may call them at once. Failures are std::runtime_error with
// a UTF-8 message:
//   "can not create process, error(N)"  the child could not be started (N is a
//                                        Process start code; a missing program
//                                        gives -5)
//   "wait for exit failed, error(-2)"    the child's exit could not be read
//   "adb not found"                      no adb beside the program nor on PATH
//   "adb <tokens> failed, return value N"  RunAdbStrict and exit code N != 0
//   "invalid adb argument: T"            a token that could inject an option
// A command ended before it finished throws CommandInterrupted (see
// command_limits.h), also a std::runtime_error:
//   "command cancelled"                  the group was cancelled, before the
//                                        start or while the child ran
//   "<command>: no answer within N s"    its CommandBound's deadline passed
//   "<command>: no progress for N s"     ... its stall limit passed
//   "<command>: more than N MiB of output"  ... it printed over its cap
//
// Children never run through a shell and get no usable standard input (it
// delivers nothing and never ends).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command_limits.h"

class ChildGroup;

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
// With a group, the child belongs to it: a cancelled group refuses to start it.
// Output is decoded as a UTF-8 stream; the bytes of a read that are not UTF-8
// add nothing, the rest of the output is kept. The child is ended when it
// breaks `bound` (nothing bounds it by default).
CommandResult RunCommand(const std::wstring& command_line, ChildGroup* group = nullptr,
                         const CommandBound& bound = {});

// Runs `adb` (adb/adb beside the executable, else adb on PATH, looked up on
// every call) with the tokens after it. A token may hold several words
// ("shell getprop ro.app.name"); a file path is passed enclosed in double
// quotes and stays one argument (it may not contain '"'; a relative path
// starting with '-' is passed as "./-..."). The token after a "-s", a
// "connect " or a "disconnect" token (a serial, an address) is always one
// argument and may not start with '-', so it can inject neither an option nor
// a command.
// Exit code not examined. Under `bound`; with a sink, the output goes there.
CommandResult RunAdb(const std::vector<std::wstring>& tokens, ChildGroup* group = nullptr,
                     const CommandBound& bound = {}, const OutputSink& sink = {});

// As RunAdb, but a non-zero exit code throws "adb <tokens> failed, return value N".
CommandResult RunAdbStrict(const std::vector<std::wstring>& tokens, ChildGroup* group = nullptr,
                           const CommandBound& bound = {});

// "adb start-server", with the same lookup and the parent's environment (so
// ANDROID_ADB_SERVER_PORT chooses the server), ended after `deadline`. Start
// the server once before many workers run adb at the same moment: clients
// that start it simultaneously race and some fail. Exit code not examined.
CommandResult StartAdbServer(std::chrono::milliseconds deadline);

// The MAC after "HWaddr" on the first line of an ifconfig listing that names
// the interface, trimmed; empty when there is none.
std::wstring ExtractInterfaceMac(const std::wstring& output, const std::wstring& interface_name);

// The pieces of RunAdb, for callers that show or check a command.
//
// The adb path RunAdb uses for a program in `program_folder` (ending in '/'):
// "<folder>adb/adb" when it exists, else adb on PATH; throws "adb not found".
std::string LocateAdb(const std::string& program_folder);
// The Windows-style line: the quoted adb path and the tokens joined by one
// blank each, unchanged ("connect " + address gives two blanks).
std::wstring AdbCommandLine(const std::string& adb_path, const std::vector<std::wstring>& tokens);
// The argv adb is started with; throws "invalid adb argument: T".
std::vector<std::string> AdbArguments(const std::string& adb_path,
                                      const std::vector<std::wstring>& tokens);
