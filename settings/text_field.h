// TextField: a caption and a one-value text input (project name, version).
// The input is single-line: Return raises the return event instead of
// breaking the line, pasted line breaks are dropped, and the bound value
// never holds CR or LF. UI thread only.
#pragma once

#include <string>

#include "settings/field.h"
#include "settings/var.h"
#include "ui/controls/rich_edit.h"

class TextField : public Field<TextField> {
 public:
  TextField();
  ~TextField() override;

  // Called after every change of the input's text unless the input is
  // read-only; callbacks add up.
  void OnChange(ChangeCallback callback);

  // Two-way binding: the input shows var.value, and every edit is stored
  // back (without line breaks) and notified. Ends when the field is
  // destroyed. `var` must stay at its address while bound.
  void Bind(Var<std::wstring>& var);

  ui::RichEdit* input = nullptr;
};

// `text` without any CR or LF.
std::wstring StripLineBreaks(std::wstring text);
