#include "ui/controls/box.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/controls/window.h"
#include "ui/render/render_context.h"

namespace ui {

Box::Box(Layout* layout) : layout_(layout ? layout : new Layout) { layout_->SetOwner(this); }

Box::~Box() {
  BeginDestroy();
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* item : items) Control::Destroy(item);
}

bool Box::SetAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<Box> table = {
      {L"mousechild", [](Box& c, const std::wstring& v) { c.SetMouseChildEnabled(ParseBool(v)); }},
  };
  return layout_->SetAttribute(name, value) || table.Apply(*this, name, value) ||
         Control::SetAttribute(name, value);
}

void Box::SetWindow(Window* window, Box* parent) {
  Control::SetWindow(window, parent);
  for (Control* item : items_) item->SetWindow(window, this);
}

void Box::SetPos(const UiRect& rect) {
  Control::SetPos(rect);
  if (!items_.empty()) ArrangeItems(rect);
}

UiSize Box::ArrangeItems(const UiRect& rect) {
  UiRect inner = rect;
  inner.Deflate(layout_->GetPadding());
  return layout_->ArrangeChild(items_, inner);
}

void Box::SetEnabled(bool enabled) {
  Control::SetEnabled(enabled);
  for (Control* item : items_) item->SetEnabled(enabled);
}

UiSize Box::EstimateSize(UiSize available) {
  const int fw = GetFixedWidth();
  const int fh = GetFixedHeight();
  if (fw != kSizeAuto && fh != kSizeAuto) return {fw, fh};
  if (!IsReEstimateSize()) return GetEstimateSizeCache();
  // A fixed width is the width the items get.
  if (fw >= 0) available.cx = fw;
  if (fh >= 0) available.cy = fh;
  UiSize measured = EstimateContentSize(available);
  UiSize size{fw == kSizeAuto ? measured.cx : fw, fh == kSizeAuto ? measured.cy : fh};
  bool stale = false;
  for (Control* item : items_) {
    if (item->IsVisible() && item->IsAutoSized() && item->IsReEstimateSize()) stale = true;
  }
  SetReEstimateSize(stale);
  SetEstimateSizeCache(size);
  return size;
}

UiSize Box::EstimateContentSize(UiSize available) {
  const UiRect& p = layout_->GetPadding();
  UiSize inner{available.cx - p.left - p.right, available.cy - p.top - p.bottom};
  return layout_->MeasureChildren(items_, inner);
}

Control* Box::FindControl(const FindControlProc& proc, unsigned flags, UiPoint point) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  const bool hit_test = (flags & kFindHitTest) != 0;
  if (hit_test && !GetPos().Contains(point)) return nullptr;
  const bool self_ok = !hit_test || IsMouseEnabled();
  if ((flags & kFindMeFirst) && self_ok && proc(this)) return this;
  if (!hit_test || mouse_child_enabled_) {
    if (flags & kFindTopFirst) {
      for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (Control* found = (*it)->FindControl(proc, flags, point)) return found;
      }
    } else {
      for (Control* item : items_) {
        if (Control* found = item->FindControl(proc, flags, point)) return found;
      }
    }
  }
  if (!(flags & kFindMeFirst) && self_ok && proc(this)) return this;
  return nullptr;
}

bool Box::Add(Control* control) { return AddAt(control, items_.size()); }

bool Box::AddAt(Control* control, size_t index) {
  if (!control || control == this || control->IsAncestorOf(this)) return false;
  if (index > items_.size()) return false;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), control);
  control->SetWindow(window_, this);
  if (window_) window_->OnControlAttached(control);
  OnItemsChanged();
  Arrange();
  return true;
}

bool Box::Remove(Control* control) {
  auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return false;
  const int index = static_cast<int>(it - items_.begin());
  items_.erase(it);
  OnItemRemoved(index);
  ReleaseItem(control);
  OnItemsChanged();
  Arrange();
  return true;
}

bool Box::RemoveAt(size_t index) {
  if (index >= items_.size()) return false;
  return Remove(items_[index]);
}

void Box::RemoveAll() {
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* item : items) ReleaseItem(item);
  OnItemsChanged();
  Arrange();
}

void Box::ReleaseItem(Control* control) {
  Window* window = window_;
  if (window) {
    window->Invalidate(control->GetPos());
    window->OnControlDetached(control);
  }
  if (!auto_destroy_) {
    control->SetWindow(nullptr, nullptr);
    return;
  }
  if (delayed_destroy_ && window) {
    control->SetWindow(window, nullptr);
    window->QueueControlForDelete(control);
  } else {
    Control::Destroy(control);
  }
}

void Box::ForgetItem(Control* control) {
  auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return;
  const int index = static_cast<int>(it - items_.begin());
  items_.erase(it);
  OnItemRemoved(index);
  OnItemsChanged();
  Arrange();
}

Control* Box::GetItemAt(size_t index) const {
  return index < items_.size() ? items_[index] : nullptr;
}

int Box::GetItemIndex(const Control* control) const {
  auto it = std::find(items_.begin(), items_.end(), control);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

Control* Box::FindSubControl(const std::wstring& name) {
  for (Control* item : items_) {
    if (item->GetName() == name) return item;
    if (Box* box = dynamic_cast<Box*>(item)) {
      if (Control* found = box->FindSubControl(name)) return found;
    }
  }
  return nullptr;
}

void Box::SetLayout(Layout* layout) {
  UiRect padding = layout_->GetPadding();
  int child_margin = layout_->GetChildMargin();
  layout_.reset(layout ? layout : new Layout);
  layout_->SetOwner(nullptr);
  layout_->SetPadding(padding, false);
  layout_->SetChildMargin(child_margin, false);
  layout_->SetOwner(this);
  Arrange();
}

void Box::PaintChildren(RenderContext& context, const UiRect& dirty) {
  UiRect clip = GetPos().Intersect(dirty);
  if (clip.IsEmpty()) return;
  context.PushClip(clip);
  for (Control* item : items_) {
    if (item->IsVisible() && item->GetPos().Intersects(clip)) item->Paint(context, clip);
  }
  context.PopClip();
}

}  // namespace ui
