// The seam between controls and the animation players. A control owns at most
// one ControlAnimations object (installed by the animation side); without one
// every fade is immediate.
#pragma once

namespace ui {

class ControlAnimations {
 public:
  virtual ~ControlAnimations() = default;
  // Shows or hides the control through its appearance fades; returns false
  // when it has none, and the control then changes at once.
  virtual bool FadeVisible(bool visible) = 0;
  // The mouse entered (true) or left the control.
  virtual void OnHotChanged(bool hot) = 0;
};

}  // namespace ui
