// CheckBoxTemplate<T>: a button with a selected state. Activation toggles it
// (with "select"/"unselect" events) and raises no click. While selected the
// `selected...` images, colours and text colours are drawn instead of the
// normal ones.
#pragma once

#include "ui/controls/button.h"

namespace ui {

// What every selectable control offers, whatever its base.
class ISelectable {
 public:
  virtual ~ISelectable() = default;
  virtual bool IsSelected() const = 0;
  virtual void Selected(bool selected, bool send_events) = 0;
  virtual const std::wstring& GetGroup() const {
    static const std::wstring kNone;
    return kNone;
  }
};

template <typename T>
class CheckBoxTemplate : public ButtonTemplate<T>, public ISelectable {
 public:
  ~CheckBoxTemplate() override { this->BeginDestroy(); }
  std::wstring GetType() const override { return L"CheckBox"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;

  bool IsSelected() const override { return selected_; }
  // No change, no event. Otherwise stores the state, repaints and, when the
  // control is in a window and `send_events` is set, raises "select" or
  // "unselect".
  void Selected(bool selected, bool send_events) override {
    if (selected == selected_) return;
    selected_ = selected;
    this->Invalidate();
    if (this->GetWindow() && send_events) {
      this->SendEvent(selected ? kEventSelect : kEventUnSelect);
    }
  }

  void Activate() override {
    if (!this->IsActivatable()) return;
    Selected(!selected_, true);
  }

  void SetSelectedStateColor(ControlState state, const std::wstring& name) {
    selected_colors_[static_cast<int>(state)] = name;
    this->Invalidate();
  }
  void SetSelectedTextColor(ControlState state, const std::wstring& name) {
    selected_text_colors_[static_cast<int>(state)] = name;
    this->Invalidate();
  }

 protected:
  std::wstring CurrentTextColorName() const override {
    if (selected_) {
      const std::wstring& own = selected_text_colors_[static_cast<int>(this->GetState())];
      if (!own.empty()) return own;
      if (!selected_text_colors_[0].empty()) return selected_text_colors_[0];
    }
    return ButtonTemplate<T>::CurrentTextColorName();
  }

  void PaintStateColors(RenderContext& context) override {
    if (!selected_) {
      ButtonTemplate<T>::PaintStateColors(context);
      return;
    }
    const std::wstring* name = &selected_colors_[static_cast<int>(this->GetState())];
    if (name->empty()) name = &selected_colors_[0];
    if (name->empty()) {
      ButtonTemplate<T>::PaintStateColors(context);
      return;
    }
    context.FillRect(this->GetPos(), this->ResolveColor(*name));
  }

  void PaintStateImages(RenderContext& context) override {
    if (!selected_) {
      ButtonTemplate<T>::PaintStateImages(context);
      return;
    }
    if (normal_first_) ButtonTemplate<T>::PaintStateImages(context);
    auto pick = [this](typename Control::StateImages& images) -> Image* {
      Image* image = &images.Get(this->GetState());
      return image->IsEmpty() ? &images.normal : image;
    };
    Image* image = pick(selected_images_);
    if (image->IsEmpty()) {
      if (!normal_first_) ButtonTemplate<T>::PaintStateImages(context);
      return;
    }
    this->DrawImage(context, *image);
    this->DrawImage(context, *pick(selected_fore_images_));
  }

 private:
  bool selected_ = false;
  bool normal_first_ = false;
  std::wstring selected_colors_[4];
  std::wstring selected_text_colors_[4];
  typename Control::StateImages selected_images_;
  typename Control::StateImages selected_fore_images_;
};

template <typename T>
bool CheckBoxTemplate<T>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using Self = CheckBoxTemplate<T>;
  static const AttributeTable<Self> table = {
      {L"selected", [](Self& c, const std::wstring& v) { c.Selected(ParseBool(v), true); }},
      {L"switchselect", [](Self& c, const std::wstring&) { c.Selected(!c.selected_, false); }},
      {L"normalfirst", [](Self& c, const std::wstring& v) { c.normal_first_ = ParseBool(v); }},
      {L"selectednormalimage", [](Self& c, const std::wstring& v) { c.selected_images_.normal.SetDescriptor(v); }},
      {L"selectedhotimage", [](Self& c, const std::wstring& v) { c.selected_images_.hot.SetDescriptor(v); }},
      {L"selectedpushedimage", [](Self& c, const std::wstring& v) { c.selected_images_.pushed.SetDescriptor(v); }},
      {L"selecteddisabledimage", [](Self& c, const std::wstring& v) { c.selected_images_.disabled.SetDescriptor(v); }},
      {L"selectedforenormalimage", [](Self& c, const std::wstring& v) { c.selected_fore_images_.normal.SetDescriptor(v); }},
      {L"selectedforehotimage", [](Self& c, const std::wstring& v) { c.selected_fore_images_.hot.SetDescriptor(v); }},
      {L"selectedforepushedimage", [](Self& c, const std::wstring& v) { c.selected_fore_images_.pushed.SetDescriptor(v); }},
      {L"selectedforedisabledimage", [](Self& c, const std::wstring& v) { c.selected_fore_images_.disabled.SetDescriptor(v); }},
      {L"selectedtextcolor", [](Self& c, const std::wstring& v) { c.SetSelectedTextColor(ControlState::kNormal, v); }},
      {L"selectednormaltextcolor", [](Self& c, const std::wstring& v) { c.SetSelectedTextColor(ControlState::kNormal, v); }},
      {L"selectedhottextcolor", [](Self& c, const std::wstring& v) { c.SetSelectedTextColor(ControlState::kHot, v); }},
      {L"selectedpushedtextcolor", [](Self& c, const std::wstring& v) { c.SetSelectedTextColor(ControlState::kPushed, v); }},
      {L"selecteddisabledtextcolor", [](Self& c, const std::wstring& v) { c.SetSelectedTextColor(ControlState::kDisabled, v); }},
      {L"selectednormalcolor", [](Self& c, const std::wstring& v) { c.SetSelectedStateColor(ControlState::kNormal, v); }},
      {L"selectedhotcolor", [](Self& c, const std::wstring& v) { c.SetSelectedStateColor(ControlState::kHot, v); }},
      {L"selectedpushedcolor", [](Self& c, const std::wstring& v) { c.SetSelectedStateColor(ControlState::kPushed, v); }},
      {L"selecteddisabledcolor", [](Self& c, const std::wstring& v) { c.SetSelectedStateColor(ControlState::kDisabled, v); }},
  };
  if (table.Apply(*this, name, value)) return true;
  return ButtonTemplate<T>::SetAttribute(name, value);
}

using CheckBox = CheckBoxTemplate<Control>;
using CheckBoxBox = CheckBoxTemplate<Box>;

}  // namespace ui
