// The part of a message loop that waits for work and calls back into the
// loop to do it.
//
// Run, Quit and ScheduleDelayedWork are called on the loop's thread only;
// ScheduleWork may be called from any thread and is how posters wake the loop.
#pragma once

#include "base/time.h"

namespace vbase {

class MessagePump {
 public:
  // Implemented by MessageLoop; called on the loop thread from Run.
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Runs at most one immediate task; true if one ran.
    virtual bool DoWork() = 0;
    // Runs at most one due delayed task; true if one ran. Sets
    // *next_delayed_work_time to the time of the next delayed task, null if none.
    virtual bool DoDelayedWork(TimeTicks* next_delayed_work_time) = 0;
    // Called when there is nothing else to do; true if it did something.
    virtual bool DoIdleWork() = 0;
  };

  virtual ~MessagePump() = default;

  // Calls the delegate until Quit is called from one of its callbacks. May be
  // nested: Quit ends the innermost run.
  virtual void Run(Delegate* delegate) = 0;
  virtual void Quit() = 0;

  // Any thread: there is new immediate work; wakes the pump if it sleeps.
  virtual void ScheduleWork() = 0;
  // Loop thread: the earliest delayed task is now due at `delayed_work_time`.
  virtual void ScheduleDelayedWork(TimeTicks delayed_work_time) = 0;
};

}  // namespace vbase
