// Monotonic time in microseconds.
//
// TimeTicks::Now() reads CLOCK_MONOTONIC: it never goes backwards, does not
// wrap within the life of the machine and may be called from any thread
// without a lock. A default-constructed TimeTicks is null ("no time").
#pragma once

#include <compare>
#include <cstdint>

namespace vbase {

inline constexpr int64_t kMicrosecondsPerMillisecond = 1000;
inline constexpr int64_t kMicrosecondsPerSecond = 1000 * 1000;

class TimeDelta {
 public:
  constexpr TimeDelta() = default;

  static constexpr TimeDelta FromMicroseconds(int64_t us) { return TimeDelta(us); }
  static constexpr TimeDelta FromMilliseconds(int64_t ms) {
    return TimeDelta(ms * kMicrosecondsPerMillisecond);
  }
  static constexpr TimeDelta FromSeconds(int64_t s) {
    return TimeDelta(s * kMicrosecondsPerSecond);
  }

  constexpr int64_t InMicroseconds() const { return delta_; }
  constexpr int64_t InMilliseconds() const { return delta_ / kMicrosecondsPerMillisecond; }
  constexpr bool is_zero() const { return delta_ == 0; }

  constexpr TimeDelta operator+(TimeDelta other) const { return TimeDelta(delta_ + other.delta_); }
  constexpr TimeDelta operator-(TimeDelta other) const { return TimeDelta(delta_ - other.delta_); }
  constexpr auto operator<=>(const TimeDelta&) const = default;

 private:
  constexpr explicit TimeDelta(int64_t us) : delta_(us) {}
  int64_t delta_ = 0;
};

class TimeTicks {
 public:
  constexpr TimeTicks() = default;

  static TimeTicks Now();
  static constexpr TimeTicks FromInternalValue(int64_t us) { return TimeTicks(us); }
  constexpr int64_t ToInternalValue() const { return ticks_; }
  constexpr bool is_null() const { return ticks_ == 0; }

  constexpr TimeTicks operator+(TimeDelta d) const { return TimeTicks(ticks_ + d.InMicroseconds()); }
  constexpr TimeTicks operator-(TimeDelta d) const { return TimeTicks(ticks_ - d.InMicroseconds()); }
  constexpr TimeDelta operator-(TimeTicks other) const {
    return TimeDelta::FromMicroseconds(ticks_ - other.ticks_);
  }
  constexpr auto operator<=>(const TimeTicks&) const = default;

 private:
  constexpr explicit TimeTicks(int64_t us) : ticks_(us) {}
  int64_t ticks_ = 0;
};

}  // namespace vbase
