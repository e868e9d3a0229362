#include "ui/animation/animation_player.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/animation/manual_timer_environment.h"
#include "ui/animation/fades.h"

namespace ui {
namespace {

using testing::ManualTimerEnvironment;

class AnimationPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player_ = CreateHotFadePlayer(timers_, [this](int v) { values_.push_back(v); });
    player_->SetCompleteCallback([this] { completed_at_.push_back(NowMs()); });
  }
  double NowMs() const { return env_.Now().count() / 1000.0; }
  int last() const { return values_.empty() ? -1 : values_.back(); }

  ManualTimerEnvironment env_;
  TimerManager timers_{env_};
  std::unique_ptr<AnimationPlayer> player_;
  std::vector<int> values_;
  std::vector<double> completed_at_;
};

TEST_F(AnimationPlayerTest, HotFadeReachesTheEndAtItsTotalTimeWithoutOvershoot) {
  player_->Start();
  EXPECT_EQ(player_->tick_interval(), 1);  // 250 / 255 is 0 in integer division
  env_.AdvanceTo(249);
  EXPECT_TRUE(completed_at_.empty());
  EXPECT_LT(last(), 255);
  env_.AdvanceTo(400);
  ASSERT_EQ(completed_at_.size(), 1u);
  EXPECT_GE(completed_at_[0], 250);
  EXPECT_LE(completed_at_[0], 250 + 16);
  EXPECT_EQ(last(), 255);
  for (size_t i = 1; i < values_.size(); ++i) EXPECT_GT(values_[i], values_[i - 1]);
  EXPECT_FALSE(player_->is_playing());
  EXPECT_EQ(timers_.pending_count(), 0u);
  player_->SetEndValue(10);
  player_->Start();
  EXPECT_EQ(player_->tick_interval(), 25);  // the total time over the distance
}

TEST_F(AnimationPlayerTest, EasedCurveStandsAtAbout76After75ms) {
  player_->Start();
  env_.JumpTo(75);  // one late tick covers the real time that passed
  EXPECT_NEAR(last(), 76, 1);
  env_.JumpTo(125);  // past the acceleration phase, decelerating
  EXPECT_GT(last(), 160);
  EXPECT_LT(last(), 200);
}

TEST_F(AnimationPlayerTest, StartAfterReverseRunsForwardsAgain) {
  player_->Start();
  env_.AdvanceTo(100);
  player_->Reverse();
  env_.AdvanceTo(150);
  values_.clear();
  player_->Start();
  env_.AdvanceTo(500);
  ASSERT_FALSE(values_.empty());
  EXPECT_EQ(values_.back(), 255);
  EXPECT_EQ(player_->start_value(), 0);
  player_->Reverse();
  env_.AdvanceTo(1000);
  EXPECT_EQ(last(), 0);
}

TEST_F(AnimationPlayerTest, EqualStartAndEndCompletesAtOnceWithoutTicking) {
  player_->SetEndValue(0);
  player_->Start();
  EXPECT_EQ(completed_at_.size(), 1u);
  EXPECT_TRUE(values_.empty());
  EXPECT_FALSE(player_->is_playing());
  EXPECT_EQ(timers_.pending_count(), 0u);
  EXPECT_EQ(env_.queued(), 0u);
}

TEST_F(AnimationPlayerTest, CompleteCallbackMayRestartThePlayer) {
  int completions = 0;
  player_->SetCompleteCallback([&] {
    if (++completions == 1) player_->Reverse();
  });
  player_->Start();
  env_.AdvanceTo(300);
  EXPECT_EQ(completions, 1);
  EXPECT_TRUE(player_->is_playing());  // the restart was not undone
  env_.AdvanceTo(700);
  EXPECT_EQ(completions, 2);
  EXPECT_EQ(last(), 0);
  EXPECT_FALSE(player_->is_playing());
}

TEST_F(AnimationPlayerTest, CallbacksMayDestroyThePlayer) {
  player_->SetCompleteCallback([&] { player_.reset(); });
  player_->Start();
  env_.AdvanceTo(1000);
  EXPECT_EQ(player_, nullptr);
  EXPECT_EQ(last(), 255);

  player_ = CreateAlphaFadePlayer(timers_, [&](int v) {
    values_.push_back(v);
    if (v > 100) player_.reset();
  });
  values_.clear();
  player_->Start();
  env_.AdvanceTo(1000 + 1000);
  EXPECT_EQ(player_, nullptr);
  const size_t count = values_.size();
  env_.AdvanceTo(3000);
  EXPECT_EQ(values_.size(), count);
}

TEST_F(AnimationPlayerTest, StopResetAndDestructionCancelTheTimer) {
  auto values_stay = [this](double until) {
    const size_t count = values_.size();
    env_.AdvanceTo(until);
    return values_.size() == count;
  };
  player_->Start();
  env_.AdvanceTo(50);
  player_->Stop();
  EXPECT_TRUE(values_stay(500));

  player_->Continue();
  env_.AdvanceTo(520);
  player_->Reset();
  EXPECT_FALSE(player_->is_playing());
  EXPECT_TRUE(player_->is_first_run());
  EXPECT_EQ(player_->total_time(), -1);
  EXPECT_TRUE(values_stay(700));

  player_ = CreateHotFadePlayer(timers_, [this](int v) { values_.push_back(v); });
  player_->Start();
  env_.AdvanceTo(720);
  player_.reset();
  EXPECT_TRUE(values_stay(1000));
  EXPECT_TRUE(completed_at_.empty());
}

TEST_F(AnimationPlayerTest, LinearPlayerMovesAtDistanceOverTime) {
  AnimationPlayer linear(timers_);
  int value = -1;
  linear.SetCallback([&](int v) { value = v; });
  linear.SetStartValue(100);
  linear.SetEndValue(0);
  linear.SetTotalMilliseconds(200);
  linear.Start();
  env_.JumpTo(50);
  EXPECT_EQ(value, 75);
  env_.JumpTo(150);
  EXPECT_EQ(value, 25);
  env_.JumpTo(200);
  EXPECT_EQ(value, 0);
}

TEST_F(AnimationPlayerTest, SlowDownOnlyCurveStartsMovingAndArrivesGently) {
  AnimationPlayer player(timers_);
  std::vector<int> values;
  player.SetCallback([&](int v) { values.push_back(v); });
  player.SetEndValue(1000);
  player.SetTotalMilliseconds(100);
  player.SetSlowDownRatio(0.7);
  player.Start();
  env_.JumpTo(10);
  ASSERT_FALSE(values.empty());
  const int early_step = values.back();  // distance covered in the first 10 ms
  EXPECT_GT(early_step, 50);
  env_.JumpTo(90);
  const int before_end = values.back();
  env_.JumpTo(110);
  EXPECT_EQ(values.back(), 1000);
  EXPECT_LT(1000 - before_end, early_step);  // slower at the end than at the start
}

TEST_F(AnimationPlayerTest, UnsetTotalTimeWithoutSpeedEndsAtOnceAndFactorsGiveIt) {
  AnimationPlayer player(timers_);
  std::vector<int> values;
  int completions = 0;
  player.SetCallback([&](int v) { values.push_back(v); });
  player.SetCompleteCallback([&] { ++completions; });
  player.SetEndValue(255);  // total time stays -1, no speed, no factors
  player.Start();
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(values, std::vector<int>{255});
  EXPECT_EQ(timers_.pending_count(), 0u);

  // With factors it is derived from them, within the bound.
  AnimationPlayer hot(timers_);
  hot.SetEndValue(255);
  hot.SetSpeedUpRatio(0.3);
  hot.SetSlowDownRatio(0.7);
  hot.SetSpeedUpFactor(255.0 / (0.3 * 250 * 250));  // the hot fade's acceleration
  hot.Start();
  EXPECT_EQ(hot.total_time(), 250);

  AnimationPlayer slow(timers_);
  slow.SetEndValue(255);
  slow.SetSpeedUpRatio(0.5);
  slow.SetSpeedUpFactor(1e-30);
  slow.Start();
  EXPECT_EQ(slow.total_time(), AnimationPlayer::kMaxTotalMilliseconds);
  slow.Stop();
}

}  // namespace
}  // namespace ui
