// Ending the children this program started.
//
// Every child started by `Process` is entered in one process-wide registry
// from the moment it is spawned until it has exited (it is removed before it
// is reaped, so the process-group id that a kill targets is never a reused
// one). The registry is this program's stand-in for ending every adb process
// on the machine: it reaches only the children of this program, so another
// copy of the program, or another tool's adb, is never touched.
//
// A `ChildGroup` collects the children started on behalf of one owner (a
// device row). Cancelling it is persistent: the children it has are killed
// and every later RunCommand / RunAdb with the group throws without starting
// anything, so a worker that goes on after a stop can never start a fresh,
// never-ending command.
//
// Threads: everything here may be called from any thread at any time. A group
// must outlive every call that was given it.
#pragma once

#include <sys/types.h>

#include <atomic>

class ChildGroup {
 public:
  ChildGroup() = default;
  ChildGroup(const ChildGroup&) = delete;
  ChildGroup& operator=(const ChildGroup&) = delete;

  // Kills (SIGKILL to the process group) every child of this group that is
  // running now and refuses all later ones. Idempotent.
  void Cancel();
  bool IsCancelled() const { return cancelled_.load(std::memory_order_acquire); }

 private:
  friend void RegisterChild(pid_t leader, ChildGroup* group);
  std::atomic<bool> cancelled_{false};
};

// Kills every child of this program that is running now, whatever its group,
// so every blocked RunCommand returns (with exit code 128 + SIGKILL). Later
// starts are not refused; use a ChildGroup for that.
void EndAllChildren();

// Bookkeeping for `Process`: a spawned child is registered with its group (or
// none) until it has exited and before it is reaped. A child registered with
// a group that is already cancelled is killed at once.
void RegisterChild(pid_t leader, ChildGroup* group);
void UnregisterChild(pid_t leader);
