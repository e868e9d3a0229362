// Ending the children this program started.
//
// Every child started by `Process` is entered in one process-wide registry
// from the moment it is spawned until it has exited (it is removed before it
// is reaped, so the process-group id that a kill targets is never a reused
// one). Ending every child ends only this program's children: another copy
// of the program, another tool's adb, and the adb server (which runs in a
// session of its own) are never touched.
//
// Threads: any thread, any time.
#pragma once

#include <sys/types.h>

// Kills every child of this program that is running now (SIGKILL to each
// child's process group), so every blocked RunCommand returns (with exit code
// 128 + SIGKILL). Later starts are not refused.
void EndAllChildren();

// Bookkeeping for `Process`: a spawned child is registered until it has
// exited and before it is reaped.
void RegisterChild(pid_t leader);
void UnregisterChild(pid_t leader);
