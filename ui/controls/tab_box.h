// ui::TabBox: shows exactly one of its items, the selected one; the others
// are hidden. Items overlap (plain layout). With fadeswitch the newly
// selected page fades in.
#pragma once

#include "ui/controls/box.h"

namespace ui {

class TabBox : public Box {
 public:
  TabBox();
  ~TabBox() override { BeginDestroy(); }
  std::wstring GetType() const override { return L"TabBox"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;

  bool Add(Control* control) override;
  bool AddAt(Control* control, size_t index) override;

  void RemoveAll() override;

  int GetCurSel() const { return cur_sel_; }
  // Shows item `index` and hides the rest; raises "select" (w_param the new
  // index, l_param the old one) when the selection changed. False for an
  // index out of range.
  bool SelectItem(int index);
  bool SelectItem(Control* control) { return SelectItem(GetItemIndex(control)); }
  bool IsFadeSwitch() const { return fade_switch_; }

 protected:
  void OnItemRemoved(int index) override;

 private:
  int cur_sel_ = -1;
  bool fade_switch_ = false;
};

}  // namespace ui
