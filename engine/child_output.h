// Reading a child's merged output under a CommandBound: the child-process
// side of the command bounds (command_limits.h).
//
// A deadline or an output cap needs nothing but the pipe. Progress of a push
// is seen in two places: the child's own I/O counters (adb reads the local
// file as it sends it to its server) and the queues of the adb server's TCP
// connection to the panel. The second matters at the end of a slow push, when
// adb has handed everything over and waits while megabytes buffered between
// it, its server and the panel drain: its counters stand still then, but the
// connection's queues keep changing (they are looked at once the child has
// stood still for half the limit). Both stand still when the panel stops
// taking data.
//
// Calling thread only; the Process must have been started.
#pragma once

#include <optional>
#include <string>

#include "engine/command_limits.h"
#include "engine/command_runner.h"

class Process;

// Reads until every writer has closed the pipe, passing the decoded text to
// `sink` as it arrives (a character cut by a read boundary is carried over to
// the next read; bytes that are not UTF-8 add nothing). When the bound is
// broken, kills the child's process group, stops reading and returns why.
// `transport` is the "address:port" the child's data goes to (an adb serial),
// or empty.
std::optional<CutReason> ReadChildOutput(Process& process, const CommandBound& bound,
                                         const OutputSink& sink, const std::string& transport);
