// ButtonTemplate<T>: a clickable label. Activation (a release inside it, or
// space/return while it has the keyboard) raises click (41) on itself.
#pragma once

#include "ui/controls/label.h"
#include "ui/core/key_codes.h"

namespace ui {

template <typename T>
class ButtonTemplate : public LabelTemplate<T> {
 public:
  std::wstring GetType() const override { return L"Button"; }

  void Activate() override {
    if (!this->IsActivatable()) return;
    this->SendEvent(kEventClick);
  }

 protected:
  void HandleEventInternal(const EventArgs& args) override {
    if (args.type == kEventKeyDown && this->IsKeyboardEnabled() &&
        (args.key_code == kKeySpace || args.key_code == kKeyEnter)) {
      Activate();
      return;
    }
    LabelTemplate<T>::HandleEventInternal(args);
  }
  bool ShowsFocusRing() const override { return true; }
};

using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;

}  // namespace ui
