// Items side by side, left to right: the horizontal counterpart of VLayout;
// across the row, items align vertically. Used by HBox.
#pragma once

#include "ui/controls/linear_layout.h"

namespace ui {

class HLayout : public LinearLayout {
 public:
  HLayout() : LinearLayout(Orientation::kHorizontal) {}
};

}  // namespace ui
