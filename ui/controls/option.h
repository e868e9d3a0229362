// OptionTemplate<T>: a check box in a named group. Selecting an option of a
// group clears the other options of that group in the same window; an
// option in a group is not cleared by activating it again.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "ui/controls/attribute_table.h"
#include "ui/controls/check_box.h"
#include "ui/controls/window.h"

namespace ui {

template <typename T>
class OptionTemplate : public CheckBoxTemplate<T> {
 public:
  ~OptionTemplate() override { this->BeginDestroy(); }
  std::wstring GetType() const override { return L"Option"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override {
    using Self = OptionTemplate<T>;
    static const AttributeTable<Self> table = {
        {L"group", [](Self& c, const std::wstring& v) { c.group_ = v; }},
    };
    return table.Apply(*this, name, value) || CheckBoxTemplate<T>::SetAttribute(name, value);
  }

  const std::wstring& GetGroup() const override { return group_; }
  void SetGroup(const std::wstring& group) { group_ = group; }

  void Selected(bool selected, bool send_events) override {
    if (selected == this->IsSelected()) return;
    if (selected && !group_.empty()) {
      std::weak_ptr<vbase::WeakFlag> alive = this->GetWeakFlag();
      ClearGroup(send_events);
      if (alive.expired()) return;  // an "unselect" handler destroyed this option
    }
    CheckBoxTemplate<T>::Selected(selected, send_events);
  }

  void Activate() override {
    if (!this->IsActivatable()) return;
    if (group_.empty()) Selected(!this->IsSelected(), true);
    else Selected(true, true);
  }

 private:
  void ClearGroup(bool send_events) {
    Window* window = this->GetWindow();
    if (!window || !window->GetRoot()) return;
    // An "unselect" handler may destroy options of the group, this one too.
    std::vector<std::pair<ISelectable*, std::weak_ptr<vbase::WeakFlag>>> others;
    window->GetRoot()->FindControl(
        [&](Control* c) {
          auto* s = dynamic_cast<ISelectable*>(c);
          if (s && c != this && s->IsSelected() && s->GetGroup() == group_)
            others.emplace_back(s, c->GetWeakFlag());
          return false;  // visit everything
        },
        0, {});
    std::weak_ptr<vbase::WeakFlag> alive = this->GetWeakFlag();
    for (auto& [other, other_alive] : others) {
      if (alive.expired()) return;
      if (!other_alive.expired()) other->Selected(false, send_events);
    }
  }

  std::wstring group_;
};

using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

}  // namespace ui
