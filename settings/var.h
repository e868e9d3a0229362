// Observable values of the settings form: Var<T> holds a value, and one
// process-wide registry holds at most one listener per Var.
//
// A writer assigns `value` and then calls NotifyVar, which runs the Var's
// listener (if any) on the calling thread. Registering again replaces the
// listener. A Var removes its listener when it is destroyed.
//
// Threads: the registry is locked, so WatchVar/NotifyVar/UnwatchVar may be
// called from any thread; `value` itself is not guarded. A listener runs
// after the lock is released, from a copy, so it may watch, unwatch (even its
// own Var) or notify (even its own Var, re-entrantly on the same thread)
// without deadlock or use of a freed closure. Consequently a listener that
// another thread has already started may still finish after UnwatchVar
// returns; Vars bound to controls are used on the UI thread only.
#pragma once

#include <string>

#include "base/closure.h"

// The process-wide listener table, keyed by the address of a Var of any type.
class VarRegistry {
 public:
  VarRegistry() = delete;

  static void Watch(const void* var, vbase::Closure listener);
  // Runs the listener of `var`, if any; returns whether there was one.
  static bool Notify(const void* var);
  static void Unwatch(const void* var);
  static bool IsWatched(const void* var);
};

template <typename T>
class Var {
 public:
  Var() = default;
  // A Var is known by its address; a copy would be a different Var.
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  virtual ~Var() { VarRegistry::Unwatch(this); }

  T value{};
};

template <typename T>
void WatchVar(Var<T>& var, vbase::Closure listener) {
  VarRegistry::Watch(&var, std::move(listener));
}

template <typename T>
void NotifyVar(Var<T>& var) {
  VarRegistry::Notify(&var);
}

template <typename T>
void UnwatchVar(Var<T>& var) {
  VarRegistry::Unwatch(&var);
}
