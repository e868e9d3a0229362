// What a list row needs from the list that holds it.
#pragma once

namespace ui {

class IListOwner {
 public:
  virtual ~IListOwner() = default;
  virtual int GetCurSel() const = 0;
  // Selects the row at `index` (deselecting the previous one); raises the
  // list's "select" event when `trigger` is set. False when out of range.
  virtual bool SelectItem(int index, bool take_focus, bool trigger) = 0;
};

}  // namespace ui
