#include "base/time.h"

#include <time.h>

namespace vbase {

TimeTicks TimeTicks::Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // +1 keeps the result away from the null value even at the very first
  // microsecond of the clock.
  return FromInternalValue(static_cast<int64_t>(now.tv_sec) * kMicrosecondsPerSecond +
                           now.tv_nsec / 1000 + 1);
}

}  // namespace vbase
