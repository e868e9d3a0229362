// A token bucket for the "slow link" fault: at most `bytes_per_second` on
// average, in bursts of at most a tenth of a second. Rate 0 means unlimited.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace sim {

class RateLimiter {
 public:
  explicit RateLimiter(int64_t bytes_per_second = 0) : rate_(bytes_per_second) {}

  bool limited() const { return rate_ > 0; }

  // How many bytes may pass at `now_ms` (SIZE_MAX when unlimited).
  size_t Available(int64_t now_ms) {
    if (rate_ <= 0) return SIZE_MAX;
    Refill(now_ms);
    return size_t(milli_tokens_ / 1000);
  }
  void Consume(size_t bytes) {
    if (rate_ > 0) milli_tokens_ -= int64_t(bytes) * 1000;
  }

  // A pause after which a useful amount (4 KiB or a burst) may pass again.
  int64_t WaitMs() const {
    return rate_ <= 0 ? 0 : std::clamp<int64_t>(4096 * 1000 / rate_, 5, 100);
  }

 private:
  // Tokens are counted in thousandths of a byte so that short intervals
  // at low rates still add up.
  void Refill(int64_t now_ms) {
    const int64_t burst = std::max<int64_t>(rate_ / 10, 1) * 1000;
    if (last_ms_ < 0) milli_tokens_ = burst;
    else milli_tokens_ = std::min(burst, milli_tokens_ + (now_ms - last_ms_) * rate_);
    last_ms_ = now_ms;
  }

  int64_t rate_;
  int64_t milli_tokens_ = 0;
  int64_t last_ms_ = -1;
};

}  // namespace sim
