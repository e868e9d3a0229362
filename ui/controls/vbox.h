// ui::VBox: a box whose items are stacked top to bottom (VLayout).
#pragma once

#include "ui/controls/box.h"

namespace ui {

class VBox : public Box {
 public:
  VBox();
  std::wstring GetType() const override { return L"VBox"; }
};

}  // namespace ui
