// Items in a row along one axis (the main axis): fixed and auto sizes first,
// the rest shared by the stretch items (leftover pixels one each to the first
// of them); across it, sizes stretch or align. HLayout and VLayout are this
// layout along x and along y. UI thread only, like every layout.
#pragma once

#include "ui/controls/layout.h"

namespace ui {

class LinearLayout : public Layout {
 public:
  enum class Orientation { kHorizontal, kVertical };

  UiSize ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) override;
  UiSize MeasureChildren(const std::vector<Control*>& items, UiSize available) override;

 protected:
  explicit LinearLayout(Orientation orientation) : orientation_(orientation) {}

 private:
  const Orientation orientation_;
};

}  // namespace ui
