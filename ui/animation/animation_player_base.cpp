#include <cstdint>
#include <cstdlib>
#include <utility>

#include "ui/animation/animation_player.h"

namespace ui {

AnimationPlayerBase::AnimationPlayerBase(TimerManager& timers) : timers_(timers) {}

AnimationPlayerBase::~AnimationPlayerBase() { timer_flag_.Cancel(); }

void AnimationPlayerBase::ResetBaseFields() {
  timer_flag_.Cancel();
  start_value_ = end_value_ = current_value_ = 0;
  total_time_ = -1;
  elapsed_time_ = 0;
  tick_interval_ = 0;
  first_run_ = true;
  playing_ = false;
  reversed_ = false;
  last_tick_ = std::chrono::microseconds(0);
  play_callback_ = nullptr;
  complete_callback_ = nullptr;
  ++run_id_;
}

void AnimationPlayerBase::Reset() { ResetBaseFields(); }

void AnimationPlayerBase::Start() {
  Stop();
  // Back to the forward direction, so that a later Reverse turns it round again.
  if (reversed_) ExchangeStartAndEnd();
  reversed_ = false;
  elapsed_time_ = 0;
  first_run_ = false;
  Play();
}

void AnimationPlayerBase::Stop() {
  timer_flag_.Cancel();
  playing_ = false;
}

void AnimationPlayerBase::Continue() {
  Stop();
  if (reversed_) {
    ExchangeStartAndEnd();
    current_value_ = start_value_;
    elapsed_time_ = total_time_ - elapsed_time_ > 0 ? total_time_ - elapsed_time_ : 0;
    reversed_ = false;
  }
  first_run_ = false;
  Play();
}

void AnimationPlayerBase::Reverse() {
  Stop();
  if (!reversed_) {
    ExchangeStartAndEnd();
    current_value_ = start_value_;
    elapsed_time_ = total_time_ - elapsed_time_ > 0 ? total_time_ - elapsed_time_ : 0;
  }
  if (first_run_) elapsed_time_ = 0;
  reversed_ = true;
  first_run_ = false;
  Play();
}

void AnimationPlayerBase::Play() {
  last_tick_ = timers_.Now();
  playing_ = true;
  const uint64_t run = ++run_id_;

  if (start_value_ == end_value_) {
    timer_flag_.Cancel();
    playing_ = false;
    current_value_ = end_value_;
    if (complete_callback_) {
      CompleteCallback complete = complete_callback_;  // the callback may reset or destroy us
      complete();
    }
    return;
  }

  const int64_t distance = std::llabs(int64_t{end_value_} - int64_t{start_value_});
  const int64_t interval = total_time_ > 0 ? total_time_ / distance : 0;
  tick_interval_ = interval > 0 ? static_cast<int>(interval) : 1;

  std::weak_ptr<bool> alive = alive_;
  Tick();
  if (alive.expired() || run != run_id_ || !playing_) return;  // finished or replaced at once
  timers_.AddTimer(timer_flag_, [this] { Tick(); }, tick_interval_, TimerManager::kRepeatForever);
}

void AnimationPlayerBase::Tick() {
  const std::chrono::microseconds now = timers_.Now();
  elapsed_time_ += static_cast<double>((now - last_tick_).count()) / 1000.0;
  last_tick_ = now;

  const int value = CalculateValue();
  if (!HasReached(value)) {
    if (value != current_value_) {
      current_value_ = value;
      if (play_callback_) {
        PlayCallback play = play_callback_;
        play(value);
      }
    }
    return;
  }

  // The run is over: settle the state before anyone hears of it.
  const int end = end_value_;
  current_value_ = end;
  playing_ = false;
  timer_flag_.Cancel();
  const uint64_t run = run_id_;
  std::weak_ptr<bool> alive = alive_;
  if (play_callback_) {
    PlayCallback play = play_callback_;
    play(end);
    if (alive.expired() || run != run_id_) return;
  }
  if (complete_callback_) {
    CompleteCallback complete = complete_callback_;
    complete();
  }
}

bool AnimationPlayerBase::HasReached(int value) const {
  return end_value_ > start_value_ ? value >= end_value_ : value <= end_value_;
}

void AnimationPlayerBase::ExchangeStartAndEnd() { std::swap(start_value_, end_value_); }

int AnimationPlayerBase::CalculateValue() const {
  if (total_time_ <= 0 || elapsed_time_ >= total_time_) return end_value_;
  const double fraction = elapsed_time_ / total_time_;
  return static_cast<int>(start_value_ +
                          (static_cast<double>(end_value_) - start_value_) * fraction);
}

}  // namespace ui
