#include "ui/controls/place_holder.h"

#include "ui/controls/box.h"
#include "ui/controls/window.h"

namespace ui {

void PlaceHolder::SetName(const std::wstring& name) {
  if (name == name_) return;
  std::wstring old = name_;
  name_ = name;
  OnNameChanged(old);
}

void PlaceHolder::SetWindow(Window* window, Box* parent) {
  window_ = window;
  parent_ = parent;
}

bool PlaceHolder::IsAncestorOf(const PlaceHolder* other) const {
  for (const PlaceHolder* p = other; p; p = p->parent_) {
    if (p == this) return true;
  }
  return false;
}

void PlaceHolder::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  Arrange();
}

void PlaceHolder::SetFloat(bool value) {
  if (value == float_) return;
  float_ = value;
  Arrange();
}

void PlaceHolder::SetFixedWidth(int width) {
  if (width < 0 && width != kSizeStretch && width != kSizeAuto) return;
  if (width == fixed_width_) return;
  fixed_width_ = width;
  Arrange();
}

void PlaceHolder::SetFixedHeight(int height) {
  if (height < 0 && height != kSizeStretch && height != kSizeAuto) return;
  if (height == fixed_height_) return;
  fixed_height_ = height;
  Arrange();
}

void PlaceHolder::SetMinWidth(int v) {
  min_width_ = v;
  Arrange();
}
void PlaceHolder::SetMaxWidth(int v) {
  max_width_ = v;
  Arrange();
}
void PlaceHolder::SetMinHeight(int v) {
  min_height_ = v;
  Arrange();
}
void PlaceHolder::SetMaxHeight(int v) {
  max_height_ = v;
  Arrange();
}

void PlaceHolder::SetMargin(const UiRect& margin) {
  margin_ = margin;
  Arrange();
}

void PlaceHolder::SetHorAlign(HorAlign a) {
  hor_align_ = a;
  Arrange();
}

void PlaceHolder::SetVerAlign(VerAlign a) {
  ver_align_ = a;
  Arrange();
}

void PlaceHolder::SetPos(const UiRect& rect) {
  if (rect == rect_) return;
  if (window_) window_->Invalidate(rect_);
  rect_ = rect;
  if (window_) window_->Invalidate(rect_);
}

void PlaceHolder::Arrange() {
  // Estimates up the chain may depend on this control's size.
  for (PlaceHolder* p = this; p; p = p->parent_) p->re_estimate_ = true;
  if (window_) {
    window_->NeedArrange();
    Invalidate();
  }
}

void PlaceHolder::Invalidate() {
  if (window_ && visible_) window_->Invalidate(rect_);
}

}  // namespace ui
