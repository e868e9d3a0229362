// The UI thread's timer manager: timed work of windows and controls (delayed
// close, fades, scrolling repeat) runs through it.
//
// Contract:
// - UI thread only. The manager never calls its environment from another
//   thread, and callbacks run on the thread that runs the environment's
//   delayed tasks.
// - Every timer is bound to a weak flag (vbase::WeakCallbackFlag): cancelling
//   the flag, or destroying its owner, cancels the timer; a cancelled entry is
//   dropped the next time it comes due and its callback never runs.
// - Wake-ups are coalesced: at most one is outstanding, and the manager never
//   runs its due entries more often than once per tick period (16 ms, the
//   period of the system's multimedia timer). Adding a timer that is due
//   before the outstanding wake-up re-arms it; the replaced wake-up does
//   nothing when it arrives.
// - The due entries are collected before any of them is called, so a callback
//   may add, cancel or restart timers (its own included) freely.
// - Shutdown (or destruction) cancels everything; wake-ups still queued in
//   the environment do nothing afterwards.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/weak_callback.h"

namespace ui {

// Where the manager takes its time from and how it is woken up. The
// production environment is the current thread's message loop and its
// monotonic clock; tests inject a manual one.
class TimerEnvironment {
 public:
  virtual ~TimerEnvironment() = default;
  // Monotonic time.
  virtual std::chrono::microseconds Now() const = 0;
  // Runs `task` on the UI thread after `delay` (or later).
  virtual void PostDelayedTask(std::function<void()> task, std::chrono::microseconds delay) = 0;
};

class TimerManager {
 public:
  static constexpr std::chrono::microseconds kTickPeriod{16000};
  static constexpr int kRepeatForever = -1;

  // `environment` must outlive the manager.
  explicit TimerManager(TimerEnvironment& environment);
  ~TimerManager();
  TimerManager(const TimerManager&) = delete;
  TimerManager& operator=(const TimerManager&) = delete;

  // Runs `callback` after `elapse_ms` and then every `elapse_ms`, `repeat`
  // times in all (kRepeatForever: until cancelled). Returns false, adding
  // nothing, for a negative interval, a repeat count of 0 or below -1, an
  // empty callback, or after Shutdown.
  bool AddTimer(vbase::WeakCallbackFlag& flag, std::function<void()> callback, int elapse_ms,
                int repeat = 1);

  // Drops every entry; later AddTimer calls fail.
  void Shutdown();

  std::chrono::microseconds Now() const { return environment_.Now(); }

  // Entries not yet dropped (cancelled entries count until they come due).
  size_t pending_count() const { return entries_.size(); }

 private:
  struct Entry {
    std::chrono::microseconds due;
    uint64_t order;  // keeps entries with the same due time in insertion order
    std::chrono::microseconds interval;
    int repeat;
    std::weak_ptr<vbase::WeakFlag> flag;
    std::function<void()> callback;
  };
  struct LaterFirst {
    bool operator()(const Entry& a, const Entry& b) const {
      return a.due != b.due ? a.due > b.due : a.order > b.order;
    }
  };

  void Push(Entry entry);
  void RunDueEntries(uint64_t wake_up_id);
  void ArmWakeUp();

  TimerEnvironment& environment_;
  std::vector<Entry> entries_;  // a heap, earliest entry on top
  uint64_t next_order_ = 0;
  bool shut_down_ = false;
  // The outstanding wake-up: its id and due time (armed_ false when none).
  bool armed_ = false;
  uint64_t armed_id_ = 0;
  std::chrono::microseconds armed_due_{0};
  // Entries run no more often than once per tick period after this time.
  std::chrono::microseconds last_run_{INT64_MIN / 2};
  // Wake-ups hold only a weak reference, so they do nothing once the manager is gone.
  std::shared_ptr<TimerManager*> self_;
};

}  // namespace ui
