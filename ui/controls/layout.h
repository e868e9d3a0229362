// Layouts place the items of a container. ui::Layout (plain) positions every
// visible item on its own within the container (the items overlap);
// VLayout and HLayout (vlayout.h, hlayout.h) stack them.
//
// A layout belongs to one container (its owner) and is destroyed with it.
// UI thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/core/geometry.h"

namespace ui {

class Box;
class Control;

class Layout {
 public:
  Layout() = default;
  virtual ~Layout() = default;
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  void SetOwner(Box* owner) { owner_ = owner; }
  Box* GetOwner() const { return owner_; }

  // Markup attributes of the layout ("padding", "childmargin"); false for
  // other names.
  virtual bool SetAttribute(const std::wstring& name, const std::wstring& value);

  const UiRect& GetPadding() const { return padding_; }
  // `scale`: the value is at 100 % and is scaled for the UI scale.
  void SetPadding(const UiRect& padding, bool scale);
  int GetChildMargin() const { return child_margin_; }
  void SetChildMargin(int margin, bool scale);

  // Positions `items` inside `rect` (the owner's rectangle less padding) and
  // returns the size they take.
  virtual UiSize ArrangeChild(const std::vector<Control*>& items, const UiRect& rect);
  // The size the items need within `available` (already less padding),
  // padding included.
  virtual UiSize MeasureChildren(const std::vector<Control*>& items, UiSize available);

  // Places one item on its own within `container`: reduced by the item's
  // margin, sized by its estimate (stretch fills), aligned by its alignment.
  static UiSize SetFloatPos(Control* item, const UiRect& container);

 protected:
  // An item's estimate in which a stretch dimension is replaced by the size
  // of its content: used when measuring for an auto-sized container, where a
  // stretch size has nothing to stretch into.
  static UiSize EstimateForMeasure(Control* item, UiSize available);

  Box* owner_ = nullptr;
  UiRect padding_;
  int child_margin_ = 0;
};

}  // namespace ui
