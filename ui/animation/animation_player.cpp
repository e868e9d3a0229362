#include "ui/animation/animation_player.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace ui {

AnimationPlayer::AnimationPlayer(TimerManager& timers) : AnimationPlayerBase(timers) {}

AnimationPlayer::~AnimationPlayer() = default;

void AnimationPlayer::Reset() {
  ResetBaseFields();
  speed_up_ratio_ = slow_down_ratio_ = 0;
  speed_up_time_ = constant_time_ = slow_down_time_ = 0;
  speed_ = speed_up_factor_ = slow_down_factor_ = slow_down_start_speed_ = 0;
  max_total_time_ = kMaxTotalMilliseconds;
}

void AnimationPlayer::Play() {
  InitFactor();
  AnimationPlayerBase::Play();
}

// The run has up to three phases: s = a t² while accelerating, constant
// speed, then s grows by speed u + d u² (d < 0) while decelerating. The
// acceleration is chosen so that the phases cover exactly the distance.
void AnimationPlayer::InitFactor() {
  const double distance = std::fabs(static_cast<double>(end_value_) - start_value_);
  const double r1 = std::clamp(speed_up_ratio_, 0.0, 1.0);
  const double r2 = std::clamp(slow_down_ratio_, 0.0, 1.0 - r1);
  const double k1 = 2 * (1 - r1 - r2) * r1 + r1 * r1 + r1 * r2;  // distance = k1 a T² (r1 > 0)
  const double k2 = 2 * (1 - r2) * r2 + r2 * r2;                 // distance = -k2 d T² (r1 = 0)

  if (total_time_ == -1) {
    // Derived from the speed or the factors; a player that has neither ends at once.
    double derived = 0;
    if (r1 == 0 && r2 == 0) {
      if (speed_ > 0) derived = distance / speed_;
    } else if (r1 != 0) {
      if (speed_up_factor_ > 0) derived = std::sqrt(distance / (k1 * speed_up_factor_));
    } else if (slow_down_factor_ < 0) {
      derived = std::sqrt(distance / (k2 * -slow_down_factor_));
    }
    total_time_ = static_cast<int>(std::lround(std::min(derived, double(max_total_time_))));
  }

  const double total = total_time_ > 0 ? total_time_ : 0;
  speed_up_factor_ = slow_down_factor_ = 0;
  speed_up_time_ = constant_time_ = slow_down_time_ = 0;
  speed_ = slow_down_start_speed_ = 0;
  if (total == 0) return;  // the first tick reaches the end value

  if (r1 == 0 && r2 == 0) {
    speed_ = distance / total;
    constant_time_ = total;
  } else {
    if (r1 != 0) {
      speed_up_factor_ = distance / (k1 * total * total);
      if (r2 != 0) slow_down_factor_ = -speed_up_factor_ * r1 / r2;
      speed_ = 2 * speed_up_factor_ * r1 * total;
    } else {
      slow_down_factor_ = -distance / (k2 * total * total);
      // Without an acceleration phase the run starts at the speed that the
      // deceleration brings to zero at the end.
      speed_ = -2 * slow_down_factor_ * r2 * total;
    }
    speed_up_time_ = total * r1;
    slow_down_time_ = total * r2;
    constant_time_ = total - speed_up_time_ - slow_down_time_;
  }
  slow_down_start_speed_ = speed_;
}

int AnimationPlayer::CalculateValue() const {
  if (total_time_ <= 0 || elapsed_time_ >= total_time_) return end_value_;
  const double t = std::max(elapsed_time_, 0.0);
  const double a = speed_up_factor_;
  const double t1 = speed_up_time_;
  const double t2 = constant_time_;
  double s;
  if (t <= t1) {
    s = a * t * t;
  } else if (t <= t1 + t2) {
    s = a * t1 * t1 + speed_ * (t - t1);
  } else {
    const double u = t - t1 - t2;
    s = a * t1 * t1 + speed_ * t2 + slow_down_factor_ * u * u + slow_down_start_speed_ * u;
  }
  const double distance = std::fabs(static_cast<double>(end_value_) - start_value_);
  const int64_t travelled = static_cast<int64_t>(std::clamp(s, 0.0, distance));
  const int64_t value = end_value_ > start_value_ ? int64_t{start_value_} + travelled
                                                  : int64_t{start_value_} - travelled;
  return static_cast<int>(value);
}

}  // namespace ui
