#include "ui/controls/tab_box.h"

#include "ui/controls/attribute_table.h"

namespace ui {

TabBox::TabBox() : Box(new Layout) {}

bool TabBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<TabBox> table = {
      {L"selectedid", [](TabBox& c, const std::wstring& v) { c.SelectItem(ParseInt(v)); }},
      {L"fadeswitch", [](TabBox& c, const std::wstring& v) { c.fade_switch_ = ParseBool(v); }},
  };
  return table.Apply(*this, name, value) || Box::SetAttribute(name, value);
}

bool TabBox::Add(Control* control) { return AddAt(control, GetCount()); }

bool TabBox::AddAt(Control* control, size_t index) {
  if (!Box::AddAt(control, index)) return false;
  if (cur_sel_ < 0) {
    cur_sel_ = static_cast<int>(index);
  } else if (static_cast<int>(index) <= cur_sel_) {
    ++cur_sel_;  // the selected item moved down by one
    control->SetVisible(false);
  } else {
    control->SetVisible(false);
  }
  return true;
}

void TabBox::OnItemRemoved(int index) {
  if (index == cur_sel_) {
    cur_sel_ = -1;
    if (GetCount() > 0) SelectItem(index < static_cast<int>(GetCount()) ? index : 0);
  } else if (index < cur_sel_) {
    --cur_sel_;
  }
}

void TabBox::RemoveAll() {
  Box::RemoveAll();
  cur_sel_ = -1;
}

bool TabBox::SelectItem(int index) {
  if (index < 0 || index >= static_cast<int>(GetCount())) return false;
  int old = cur_sel_;
  cur_sel_ = index;
  for (size_t i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(static_cast<int>(i) == index);
  if (fade_switch_ && old >= 0 && old != index) {
    // The new page fades in where the window plays fades, else shows at once.
    Control* page = GetItemAt(static_cast<size_t>(index));
    page->SetFade(kFadeAlpha, true);
    if (page->GetAnimations()) page->SetFadeVisible(true);
    else page->SetFade(kFadeAlpha, false);
  }
  Arrange();
  if (old != index && window_) SendEvent(kEventSelect, static_cast<uintptr_t>(index), old);
  return true;
}

}  // namespace ui
