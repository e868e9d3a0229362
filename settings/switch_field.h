// SwitchField: a check box with its own text and no caption. UI thread only.
#pragma once

#include "settings/field.h"
#include "settings/var.h"
#include "ui/controls/check_box.h"

class SwitchField : public Field<SwitchField> {
 public:
  SwitchField();
  ~SwitchField() override;

  // Called after every select and unselect of the check box; callbacks add
  // up.
  void OnChange(ChangeCallback callback);

  // Two-way binding of the selected state and var.value; a toggle notifies
  // `var` once. Ends when the field is destroyed. `var` must stay at its
  // address while bound.
  void Bind(Var<bool>& var);

  ui::CheckBox* checkbox = nullptr;
};
