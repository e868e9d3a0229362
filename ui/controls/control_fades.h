// The animation table of a control: one player per fade kind switched on,
// driving the control's hot-state alpha ("fadehot") and its
// alpha ("fadealpha", the appearance fade used to show and hide it).
//
// Contract: UI thread only. The table is owned by its control (installed with
// Control::SetAnimations) and destroyed with it, which cancels every timer,
// so no callback reaches a destroyed control.
#pragma once

#include <memory>

#include "ui/animation/animation_player.h"
#include "ui/controls/animation_hooks.h"

namespace ui {

class Box;
class Control;

class ControlFades : public ControlAnimations {
 public:
  // `control` and `timers` must outlive the table (the control owns it).
  ControlFades(Control& control, TimerManager& timers);
  ~ControlFades() override;

  // Shows by playing the alpha fade forwards, hides by playing it backwards
  // and hiding the control when it ends. False without an alpha fade.
  bool FadeVisible(bool visible) override;
  // Plays the hot fade forwards on enter and backwards on leave.
  void OnHotChanged(bool hot) override;

  AnimationPlayer* hot_player() const { return hot_.get(); }
  AnimationPlayer* alpha_player() const { return alpha_.get(); }

 private:
  Control& control_;
  std::unique_ptr<AnimationPlayer> hot_;
  std::unique_ptr<AnimationPlayer> alpha_;
};

// Gives `control` a fade table when one of its fades is switched on.
// Without timers (no UI loop) nothing is installed and fades are immediate.
void InstallControlFades(Control& control, TimerManager* timers);

}  // namespace ui
