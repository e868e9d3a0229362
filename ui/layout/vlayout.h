// Items stacked top to bottom: fixed and auto heights first, the rest shared
// by the stretch items (leftover pixels one each to the first of them);
// widths stretch or align horizontally. Used by VBox and VListBox.
#pragma once

#include "ui/layout/layout.h"

namespace ui {

class VLayout : public Layout {
 public:
  UiSize ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) override;
  UiSize MeasureChildren(const std::vector<Control*>& items, UiSize available) override;
};

}  // namespace ui
