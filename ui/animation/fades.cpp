#include "ui/animation/fades.h"

#include <utility>

namespace ui {
namespace {

std::unique_ptr<AnimationPlayer> CreateAlphaCurvePlayer(TimerManager& timers,
                                                        AnimationPlayerBase::PlayCallback on_alpha) {
  auto player = std::make_unique<AnimationPlayer>(timers);
  player->SetStartValue(0);
  player->SetEndValue(255);
  player->SetTotalMilliseconds(kFadeMilliseconds);
  player->SetSpeedUpRatio(kFadeSpeedUpRatio);
  player->SetSlowDownRatio(kFadeSlowDownRatio);
  player->SetCallback(std::move(on_alpha));
  return player;
}

}  // namespace

std::unique_ptr<AnimationPlayer> CreateHotFadePlayer(TimerManager& timers,
                                                     AnimationPlayerBase::PlayCallback on_alpha) {
  return CreateAlphaCurvePlayer(timers, std::move(on_alpha));
}

std::unique_ptr<AnimationPlayer> CreateAlphaFadePlayer(TimerManager& timers,
                                                       AnimationPlayerBase::PlayCallback on_alpha) {
  return CreateAlphaCurvePlayer(timers, std::move(on_alpha));
}

}  // namespace ui
