// The standard fades a control keeps in its animation table, one player per
// fade kind. The caller owns the player and applies the values it reports
// (hot-state alpha or control alpha) in the play callback.
#pragma once

#include <memory>

#include "ui/animation/animation_player.h"

namespace ui {

constexpr int kFadeMilliseconds = 250;
constexpr double kFadeSpeedUpRatio = 0.3;
constexpr double kFadeSlowDownRatio = 0.7;

// Hot fade ("fadehot"): 0 to 255 over 250 ms, eased 0.3 / 0.7; the values are
// the control's hot-state alpha.
std::unique_ptr<AnimationPlayer> CreateHotFadePlayer(TimerManager& timers,
                                                     AnimationPlayerBase::PlayCallback on_alpha);

// Alpha fade ("fadealpha"): the same curve; the values are the control's alpha.
std::unique_ptr<AnimationPlayer> CreateAlphaFadePlayer(TimerManager& timers,
                                                       AnimationPlayerBase::PlayCallback on_alpha);

}  // namespace ui
