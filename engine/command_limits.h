// Bounds on the adb commands of an upgrade pass, as plain data.
//
// A panel can accept a command and never answer it, answer it with output
// that never ends, or stall in the middle of a push; none of these may hold a
// pass (or the machine's memory) for ever. CommandLimits says how long and how
// much; panel_commands.h decides which command gets which bound; whatever runs
// the command (the adb client, or a child process) enforces the CommandBound
// it is handed and reports a cut as CommandInterrupted.
//
// Plain values, copied freely; any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>

struct CommandLimits {
  // A command that answers and ends (connect, identify, properties, the log
  // dump, service control, mkdir) must have ended within this.
  std::chrono::milliseconds answer_deadline = std::chrono::seconds(30);
  // A push is cut when it has moved no data for this long; a slow push that
  // keeps moving is never cut, however long it takes.
  std::chrono::milliseconds push_stall_limit = std::chrono::seconds(60);
  // Output a bounded command may print; more ends it (a panel must not be
  // able to fill this machine's memory).
  std::size_t output_cap = 4 * 1024 * 1024;
  // The followed log of an upgrade ends after this, so a panel that never
  // reboots cannot hold its row (or a --once run) for ever. Its watchdog ends
  // it sooner when the panel stops answering.
  std::chrono::milliseconds follow_limit = std::chrono::minutes(30);
};

// The bound one command runs under; a zero field is no bound of that kind.
struct CommandBound {
  std::chrono::milliseconds deadline{0};     // the whole command
  std::chrono::milliseconds stall_limit{0};  // time without progress
  std::size_t output_cap = 0;                // bytes of output
};

// Why a command was ended before it finished.
enum class CutReason {
  kCancelled,  // its group was cancelled (stop, watchdog)
  kDeadline,   // CommandBound::deadline passed
  kStalled,    // no progress for CommandBound::stall_limit
  kOutputCap,  // printed more than CommandBound::output_cap
};

// Thrown by a command that was cut; what() is the UTF-8 text a row shows.
// Output the command printed before the cut has already reached its sink.
class CommandInterrupted : public std::runtime_error {
 public:
  CommandInterrupted(CutReason reason, const std::string& message)
      : std::runtime_error(message), reason_(reason) {}
  CutReason reason() const { return reason_; }

 private:
  CutReason reason_;
};

// Throws the CommandInterrupted of `command` cut for `reason` under `bound`:
// "command cancelled", "<command>: no answer within 30 s", "<command>: no
// progress for 60 s" or "<command>: more than 4 MiB of output".
[[noreturn]] void ThrowCut(CutReason reason, const std::wstring& command, const CommandBound& bound);
