// Items side by side, left to right: the horizontal counterpart of VLayout.
// Used by HBox.
#pragma once

#include "ui/layout/layout.h"

namespace ui {

class HLayout : public Layout {
 public:
  UiSize ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) override;
  UiSize MeasureChildren(const std::vector<Control*>& items, UiSize available) override;
};

}  // namespace ui
