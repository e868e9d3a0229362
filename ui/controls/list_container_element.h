// ui::ListContainerElement: one row of a list; a selectable container. Its
// list (the owner) keeps the selection and the row's index.
#pragma once

#include "ui/controls/option.h"

namespace ui {

class IListOwner;

class ListContainerElement : public OptionTemplate<Box> {
 public:
  ListContainerElement();
  std::wstring GetType() const override { return L"ListContainerElement"; }

  IListOwner* GetOwner() const { return owner_; }
  void SetOwner(IListOwner* owner) { owner_ = owner; }
  int GetIndex() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  // Selecting a row also makes it the owner's selection.
  void Selected(bool selected, bool send_events) override;
  // A click selects the row (it never clears itself).
  void Activate() override;

 protected:
  // The selection shows which row the keys move.
  bool ShowsFocusRing() const override { return false; }

 private:
  IListOwner* owner_ = nullptr;
  int index_ = -1;
};

}  // namespace ui
