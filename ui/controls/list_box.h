// ui::ListBox: a scrolling list of selectable rows (VListBox in markup: the
// vertical layout). Keeps the current selection and each row's index.
#pragma once

#include <cstdint>
#include <functional>

#include "ui/controls/list_owner.h"
#include "ui/controls/scrollable_box.h"

namespace ui {

class ListBox : public ScrollableBox, public IListOwner {
 public:
  explicit ListBox(Layout* layout = nullptr);
  ~ListBox() override { BeginDestroy(); }
  std::wstring GetType() const override { return L"ListBox"; }

  bool AddAt(Control* control, size_t index) override;
  bool Remove(Control* control) override;
  void RemoveAll() override;

  int GetCurSel() const override { return cur_sel_; }
  bool SelectItem(int index, bool take_focus, bool trigger) override;

  // Scroll unit in pixels at 100 %, scaled when the process is DPI-adapted.
  void SetScrollUnit(int pixels) { SetVerScrollUnit(pixels, true); }

  // Negative: a before b.
  using CompareFunc = std::function<int(Control* a, Control* b, uintptr_t context)>;
  // Reorders the rows by `compare` (stable), gives every row its new index,
  // deselects all rows and clears the selection, lays the list out again at
  // its scroll position and repaints. The order is well defined even for a
  // comparator that is not consistent.
  void SortItems(const CompareFunc& compare, uintptr_t context);

 protected:
  void OnItemsChanged() override;
  void OnItemRemoved(int index) override;
  // Up and Down move the selection (once there is one) and keep it in view.
  bool OnScrollKey(wchar_t key) override;

 private:
  int cur_sel_ = -1;
};

}  // namespace ui
