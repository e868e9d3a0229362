// Items stacked top to bottom: fixed and auto heights first, the rest shared
// by the stretch items (leftover pixels one each to the first of them);
// widths stretch or align horizontally. Used by VBox and VListBox.
#pragma once

#include "ui/controls/linear_layout.h"

namespace ui {

class VLayout : public LinearLayout {
 public:
  VLayout() : LinearLayout(Orientation::kVertical) {}
};

}  // namespace ui
