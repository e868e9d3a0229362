// ui::HBox: a box whose items stand side by side (HLayout).
#pragma once

#include "ui/controls/box.h"

namespace ui {

class HBox : public Box {
 public:
  HBox();
  std::wstring GetType() const override { return L"HBox"; }
};

}  // namespace ui
