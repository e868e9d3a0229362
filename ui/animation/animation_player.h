// Animation players: move an integer value from a start value to an end value
// over a given time, calling back with every new value, forwards or backwards
// from wherever the player stands.
//
// Contract:
// - UI thread only; ticks arrive through the TimerManager given at
//   construction, which must outlive the player.
// - The player is owned by whoever plays it (a control's animation table).
//   Destroying it cancels its timer, so no callback runs afterwards.
// - Callbacks run after the player's state is up to date: the complete
//   callback may restart, reverse, reset or destroy the player.
// - AnimationPlayerBase moves linearly; AnimationPlayer eases in and out.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/weak_callback.h"
#include "ui/animation/timer_manager.h"

namespace ui {

class AnimationPlayerBase {
 public:
  using PlayCallback = std::function<void(int value)>;
  using CompleteCallback = std::function<void()>;

  explicit AnimationPlayerBase(TimerManager& timers);
  virtual ~AnimationPlayerBase();
  AnimationPlayerBase(const AnimationPlayerBase&) = delete;
  AnimationPlayerBase& operator=(const AnimationPlayerBase&) = delete;

  // Stops and sets every field back to its initial value (callbacks included).
  virtual void Reset();
  // Plays a fresh run forwards from the start value.
  virtual void Start();
  virtual void Stop();
  // Plays forwards from the current point.
  virtual void Continue();
  // Plays backwards from the current point; a reversed fade takes as long to
  // go back as it had played.
  virtual void Reverse();
  // Plays in the current direction from the current elapsed time.
  virtual void Play();
  // The value of the curve at the current elapsed time.
  virtual int CalculateValue() const;

  void SetStartValue(int value) { start_value_ = value; }
  void SetEndValue(int value) { end_value_ = value; }
  // -1: not set; the eased player then derives it.
  void SetTotalMilliseconds(int ms) { total_time_ = ms; }
  void SetCallback(PlayCallback callback) { play_callback_ = std::move(callback); }
  void SetCompleteCallback(CompleteCallback callback) { complete_callback_ = std::move(callback); }

  int start_value() const { return start_value_; }
  int end_value() const { return end_value_; }
  int current_value() const { return current_value_; }
  int total_time() const { return total_time_; }
  double elapsed_time() const { return elapsed_time_; }
  int tick_interval() const { return tick_interval_; }
  bool is_playing() const { return playing_; }
  bool is_reversed() const { return reversed_; }
  bool is_first_run() const { return first_run_; }

 protected:
  void ResetBaseFields();
  void ExchangeStartAndEnd();
  void Tick();
  // A run ends at its end value, in either direction.
  bool HasReached(int value) const;

  TimerManager& timers_;
  int start_value_ = 0;
  int end_value_ = 0;
  int current_value_ = 0;
  int total_time_ = -1;
  double elapsed_time_ = 0;
  int tick_interval_ = 0;
  bool first_run_ = true;
  bool playing_ = false;
  bool reversed_ = false;
  std::chrono::microseconds last_tick_{0};
  PlayCallback play_callback_;
  CompleteCallback complete_callback_;
  vbase::WeakCallbackFlag timer_flag_;

 private:
  // Expires when the player is destroyed, so a tick can tell whether a
  // callback destroyed it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // Changes whenever a run is (re)started, so a tick can tell whether a
  // callback started another run.
  uint64_t run_id_ = 0;
};

// The eased player: accelerates for the speed-up share of the total time,
// runs at constant speed, and decelerates for the slow-down share, arriving
// at the end value with zero speed (when the slow-down share is non-zero).
class AnimationPlayer : public AnimationPlayerBase {
 public:
  static constexpr int kMaxTotalMilliseconds = 1000000;

  explicit AnimationPlayer(TimerManager& timers);
  ~AnimationPlayer() override;

  void Reset() override;
  void Play() override;
  int CalculateValue() const override;

  // Shares of the total time spent accelerating and decelerating, each in
  // [0, 1] and together at most 1.
  void SetSpeedUpRatio(double ratio) { speed_up_ratio_ = ratio; }
  void SetSlowDownRatio(double ratio) { slow_down_ratio_ = ratio; }
  // Used to derive the total time when it is -1.
  void SetSpeedUpFactor(double factor) { speed_up_factor_ = factor; }
  void SetSlowDownFactor(double factor) { slow_down_factor_ = factor; }

 private:
  void InitFactor();

  double speed_up_ratio_ = 0;
  double slow_down_ratio_ = 0;
  double speed_up_time_ = 0;
  double constant_time_ = 0;
  double slow_down_time_ = 0;
  double speed_ = 0;
  double speed_up_factor_ = 0;
  double slow_down_factor_ = 0;
  double slow_down_start_speed_ = 0;
  int max_total_time_ = kMaxTotalMilliseconds;
};

}  // namespace ui
