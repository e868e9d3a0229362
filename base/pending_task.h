// One queued closure of a MessageLoop, with when it is due and whether it may
// run inside a nested run.
#pragma once

#include <cstdint>
#include <utility>

#include "base/closure.h"
#include "base/time.h"

namespace vbase {

struct PendingTask {
  PendingTask(Closure task, TimeTicks delayed_run_time, bool nestable)
      : task(std::move(task)), delayed_run_time(delayed_run_time), nestable(nestable) {}

  // Order of the delayed queue: true when this task runs after `other`, that
  // is later, or at the same time but queued later. A 64-bit sequence number
  // cannot wrap, so "queued later" stays a plain comparison.
  bool RunsAfter(const PendingTask& other) const {
    if (delayed_run_time != other.delayed_run_time) return delayed_run_time > other.delayed_run_time;
    return sequence_num > other.sequence_num;
  }

  Closure task;
  TimeTicks delayed_run_time;  // null for an immediate task
  int64_t sequence_num = 0;    // assigned when the task enters the delayed queue
  bool nestable = true;        // false: runs only in the outermost run
};

}  // namespace vbase
