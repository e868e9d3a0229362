#include "ui/controls/control_fades.h"

#include "ui/animation/fades.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"

namespace ui {

ControlFades::ControlFades(Control& control, TimerManager& timers) : control_(control) {
  if (control.HasFade(Control::kFadeHot))
    hot_ = CreateHotFadePlayer(timers, [this](int alpha) { control_.SetHotAlpha(alpha); });
  if (control.HasFade(Control::kFadeAlpha))
    alpha_ = CreateAlphaFadePlayer(timers, [this](int alpha) { control_.SetAlpha(alpha); });
}

ControlFades::~ControlFades() = default;

bool ControlFades::FadeVisible(bool visible) {
  if (!alpha_) return false;
  if (visible) {
    alpha_->SetCompleteCallback(nullptr);
    control_.SetVisible(true);
    alpha_->Continue();
  } else {
    if (!control_.IsVisible()) return true;
    alpha_->SetCompleteCallback([this] { control_.SetVisible(false); });
    alpha_->Reverse();
  }
  return true;
}

void ControlFades::OnHotChanged(bool hot) {
  if (!hot_) return;
  if (hot) hot_->Continue();
  else if (!hot_->is_first_run()) hot_->Reverse();  // never lit: nothing to fade back
}

void InstallControlFades(Control& control, TimerManager* timers) {
  if (!timers || (!control.HasFade(Control::kFadeHot) && !control.HasFade(Control::kFadeAlpha))) return;
  control.SetAnimations(std::make_unique<ControlFades>(control, *timers));
}

}  // namespace ui
