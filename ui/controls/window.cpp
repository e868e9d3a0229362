#include "ui/controls/window.h"

#include <algorithm>
#include <cstdlib>

#include "ui/controls/attribute_table.h"
#include "ui/controls/box.h"
#include "ui/core/value_parser.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_manager.h"

namespace ui {

Window::Window() {
  shadow_corner_ = ScaleInsets(shadow_corner_);
  shadow_.SetDescriptor(shadow_image_);
}

Window::~Window() {
  CancelWeakCallbacks();
  destroying_ = true;
  DestroyQueuedControls();
  if (root_) {
    Box* root = root_;
    root_ = nullptr;
    Control::Destroy(root);
  }
  // Controls destroyed by destroy handlers of the tree may have queued more.
  DestroyQueuedControls();
  focus_ = hover_ = pressed_ = key_down_ = nullptr;
}

void Window::AttachRoot(Box* root) {
  if (root_ == root) return;
  if (root_) {
    Box* old = root_;
    root_ = nullptr;
    OnControlDetached(old);
    Control::Destroy(old);
  }
  root_ = root;
  if (!root_) return;
  root_->SetWindow(this, nullptr);
  OnControlAttached(root_);
  NeedArrange();
}

Box* Window::DetachRoot() {
  Box* root = root_;
  if (!root) return nullptr;
  root_ = nullptr;
  OnControlDetached(root);
  root->SetWindow(nullptr, nullptr);
  return root;
}

Control* Window::FindControl(const std::wstring& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

Control* Window::FindControl(UiPoint point) const {
  if (!root_) return nullptr;
  return root_->FindControl([](Control*) { return true; },
                            kFindVisible | kFindHitTest | kFindTopFirst, point);
}

void Window::OnControlAttached(Control* control) {
  if (!control) return;
  // Every named control of the subtree joins the name map; the first
  // control of a name keeps it.
  control->FindControl(
      [this](Control* c) {
        if (!c->GetName().empty()) names_.emplace(c->GetName(), c);
        return false;
      },
      0, {});
}

void Window::RemoveFromNameMap(Control* control) {
  auto it = names_.find(control->GetName());
  if (it == names_.end() || it->second != control) return;
  std::wstring name = it->first;
  names_.erase(it);
  // Another control of the same name, if one is still attached, takes over.
  if (root_ && !destroying_ && !control->IsAncestorOf(root_)) {
    Control* other = root_->FindControl(
        [&](Control* c) { return c != control && c->GetName() == name && !control->IsAncestorOf(c); },
        0, {});
    if (other) names_.emplace(name, other);
  }
}

void Window::ClearReferencesInto(Control* subtree) {
  auto inside = [subtree](Control* c) { return c && subtree->IsAncestorOf(c); };
  if (inside(focus_)) focus_ = nullptr;
  if (inside(hover_)) {
    hover_ = nullptr;
    if (host_) host_->HideTooltip();
  }
  if (inside(pressed_)) {
    pressed_ = nullptr;
    ReleaseCapture();
  }
  if (inside(key_down_)) key_down_ = nullptr;
}

void Window::OnControlDetached(Control* control) {
  if (!control) return;
  ClearReferencesInto(control);
  if (names_.empty()) return;
  control->FindControl(
      [this](Control* c) {
        RemoveFromNameMap(c);
        return false;
      },
      0, {});
}

void Window::OnControlRenamed(Control* control, const std::wstring& old_name) {
  auto it = names_.find(old_name);
  if (it != names_.end() && it->second == control) names_.erase(it);
  if (!control->GetName().empty()) names_.emplace(control->GetName(), control);
}

void Window::ArrangeRoot(UiSize size) {
  need_arrange_ = false;
  client_size_ = size;
  if (!root_) return;
  root_->SetPos(GetFrameRect(size));
  Invalidate(UiRect{0, 0, size.cx, size.cy});
}

void Window::ArrangeIfNeeded() {
  if (!need_arrange_ || !root_) return;
  need_arrange_ = false;
  root_->SetPos(root_->GetPos());
}

UiSize Window::EstimateRootSize(UiSize current) const {
  if (!root_ || !root_->IsAutoSized()) return current;
  UiSize size = root_->EstimateSize({99999, 99999});
  if (size.cx < 0) size.cx = current.cx;
  if (size.cy < 0) size.cy = current.cy;
  if (min_info_.cx > 0) size.cx = std::max(size.cx, min_info_.cx);
  if (min_info_.cy > 0) size.cy = std::max(size.cy, min_info_.cy);
  if (max_info_.cx > 0) size.cx = std::min(size.cx, max_info_.cx);
  if (max_info_.cy > 0) size.cy = std::min(size.cy, max_info_.cy);
  size.cx += shadow_padding_.left + shadow_padding_.right;
  size.cy += shadow_padding_.top + shadow_padding_.bottom;
  return size;
}

void Window::Paint(RenderContext& context, const UiRect& dirty) {
  ArrangeIfNeeded();
  if (!root_) return;
  UiRect area = dirty.IsEmpty() ? UiRect{0, 0, context.width(), context.height()} : dirty;
  context.PushClip(area);
  context.Clear();
  PaintShadow(context);
  // Outside the round corner the window stays transparent (a translucent
  // window) or is cut away by the host's window shape (an opaque one).
  const bool round = round_corner_.cx > 0 && round_corner_.cy > 0;
  if (round) context.PushRoundClip(root_->GetPos(), round_corner_);
  root_->Paint(context, area);
  if (round) context.PopClip();
  context.PopClip();
}

void Window::PaintShadow(RenderContext& context) {
  if (shadow_padding_.IsZero() || shadow_.IsEmpty()) return;
  ImageInfo* picture = shadow_.Load(resource_path_);
  if (!picture) return;
  UiRect frame = root_->GetPos();
  ImageDrawParams params;
  params.dest = UiRect{frame.left - shadow_padding_.left, frame.top - shadow_padding_.top,
                       frame.right + shadow_padding_.right, frame.bottom + shadow_padding_.bottom};
  if (shadow_.attribute().has_source) params.source = shadow_.attribute().source;
  params.corner = shadow_.attribute().corner;
  params.alpha = shadow_.attribute().fade;
  context.DrawImage(*picture, params);
}

void Window::SetShadowPadding(const UiRect& padding) {
  if (padding == shadow_padding_) return;
  shadow_padding_ = padding;
  if (client_size_.cx > 0 && client_size_.cy > 0) ArrangeRoot(client_size_);
}

UiRect Window::GetFrameMargin() const {
  if (!shadow_padding_.IsZero() || shadow_attached_) return shadow_padding_;
  return custom_shadow_;
}

UiRect Window::GetFrameRect(UiSize client) const {
  UiRect frame{0, 0, client.cx, client.cy};
  frame.Deflate(shadow_padding_);
  return frame;
}

namespace {

// Overlapping or sharing an edge.
bool Touches(const UiRect& a, const UiRect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

}  // namespace

void Window::Invalidate(const UiRect& rect) {
  if (rect.IsEmpty()) return;
  dirty_ = dirty_.Union(rect);
  UiRect merged = rect;
  for (bool absorbed = true; absorbed;) {
    absorbed = false;
    for (auto it = dirty_rects_.begin(); it != dirty_rects_.end(); ++it) {
      if (!Touches(*it, merged)) continue;
      merged = merged.Union(*it);
      dirty_rects_.erase(it);
      absorbed = true;  // the grown rectangle may touch others now
      break;
    }
  }
  dirty_rects_.push_back(merged);
  if (dirty_rects_.size() > kMaxDirtyRects) dirty_rects_.assign(1, dirty_);
  if (host_) host_->Invalidate(rect);
}

UiRect Window::TakeDirtyRect() {
  UiRect r = dirty_;
  dirty_ = {};
  dirty_rects_.clear();
  return r;
}

std::vector<UiRect> Window::TakeDirtyRegion() {
  std::vector<UiRect> region;
  region.swap(dirty_rects_);
  dirty_ = {};
  return region;
}

void Window::QueueControlForDelete(Control* control) {
  if (!control) return;
  if (std::find(delete_later_.begin(), delete_later_.end(), control) != delete_later_.end()) return;
  delete_later_.push_back(control);
  if (host_ && !destroying_) host_->PostDestroyQueuedControls();
}

void Window::DestroyQueuedControls() {
  // Destroy handlers may queue more controls: drain until empty.
  while (!delete_later_.empty()) {
    std::vector<Control*> batch;
    batch.swap(delete_later_);
    for (Control* c : batch) Control::Destroy(c);
  }
}

void Window::SetFocus(Control* control) {
  if (host_ && control && control != focus_ && !host_->HasNativeFocus()) host_->SetNativeFocus();
  if (control == focus_) return;
  // A kill-focus handler may destroy the control that is to get the focus.
  const std::weak_ptr<vbase::WeakFlag> next_alive =
      control ? control->GetWeakFlag() : std::weak_ptr<vbase::WeakFlag>();
  if (focus_) {
    Control* old = focus_;
    std::weak_ptr<vbase::WeakFlag> alive = old->GetWeakFlag();
    old->SendEvent(kEventInternalKillFocus);
    focus_ = nullptr;
    if (!alive.expired()) old->SendEvent(kEventKillFocus);
  }
  if (!control || next_alive.expired()) return;
  if (control->GetWindow() != this || !control->IsVisible() || !control->IsEnabled()) return;
  if (root_ && !root_->IsAncestorOf(control)) return;
  focus_ = control;
  std::weak_ptr<vbase::WeakFlag> alive = control->GetWeakFlag();
  control->SendEvent(kEventInternalSetFocus);
  if (!alive.expired() && focus_ == control) control->SendEvent(kEventSetFocus);
}

void Window::SetFocusVisible(bool visible) {
  if (focus_visible_ == visible) return;
  focus_visible_ = visible;
  if (focus_) focus_->Invalidate();
}

void Window::SetCursor(CursorType cursor) {
  if (host_) host_->SetCursor(cursor);
}

void Window::SetCapture() {
  if (host_) host_->SetCapture();
}

void Window::ReleaseCapture() {
  if (host_) host_->ReleaseCapture();
}

bool Window::IsCaptured() const { return host_ && host_->IsCaptured(); }

void Window::AddClass(const std::wstring& name, const std::wstring& attribute_list) {
  classes_[name] = attribute_list;
}

std::wstring Window::GetClassAttributes(const std::wstring& name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? std::wstring() : it->second;
}

void Window::AddTextColor(const std::wstring& name, uint32_t argb) { colors_[name] = argb; }

uint32_t Window::GetTextColor(const std::wstring& name) const {
  auto it = colors_.find(name);
  return it != colors_.end() ? it->second : GlobalManager::GetTextColor(name);
}

bool Window::SetAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<Window> table = {
      {L"size", [](Window& w, const std::wstring& v) { w.init_size_ = ScaleSize(ParsePair(v)); }},
      {L"heightpercent",
       [](Window& w, const std::wstring& v) {
         w.height_percent_ = std::wcstod(v.c_str(), nullptr);
         if (!(w.height_percent_ > 0 && w.height_percent_ <= 1)) w.height_percent_ = 0;
       }},
      {L"sizebox", [](Window& w, const std::wstring& v) { w.size_box_ = ParseRect(v); }},
      {L"caption", [](Window& w, const std::wstring& v) { w.caption_rect_ = ScaleInsets(ParseRect(v)); }},
      {L"textid", [](Window& w, const std::wstring& v) { w.text_id_ = v; }},
      {L"roundcorner", [](Window& w, const std::wstring& v) { w.round_corner_ = ScaleSize(ParsePair(v)); }},
      {L"mininfo", [](Window& w, const std::wstring& v) { w.min_info_ = ScaleSize(ParsePair(v)); }},
      {L"maxinfo", [](Window& w, const std::wstring& v) { w.max_info_ = ScaleSize(ParsePair(v)); }},
      {L"shadowattached", [](Window& w, const std::wstring& v) { w.shadow_attached_ = ParseBool(v); }},
      {L"shadowimage",
       [](Window& w, const std::wstring& v) {
         w.shadow_image_ = v;
         w.shadow_.SetDescriptor(v);
       }},
      {L"shadowcorner", [](Window& w, const std::wstring& v) { w.shadow_corner_ = ScaleInsets(ParseRect(v)); }},
      {L"custom_shadow", [](Window& w, const std::wstring& v) { w.custom_shadow_ = ScaleInsets(ParseRect(v)); }},
  };
  return table.Apply(*this, name, value);
}

}  // namespace ui
