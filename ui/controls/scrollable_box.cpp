#include "ui/controls/scrollable_box.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/core/key_codes.h"
#include "ui/controls/window.h"
#include "ui/render/render_context.h"

namespace ui {

namespace {
constexpr uint32_t kScrollThumbColor = 0x80909090;
constexpr int kMinThumbHeight = 16;
constexpr int kMinGrabWidth = 12;  // the drawn bar is thin; the pointer gets more
}  // namespace

ScrollableBox::ScrollableBox(Layout* layout) : Box(layout) {
  scrollbar_width_ = ScaleInt(scrollbar_width_);
}

bool ScrollableBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using Self = ScrollableBox;
  static const AttributeTable<Self> table = {
      {L"vscrollbar", [](Self& c, const std::wstring& v) { c.EnableVScrollBar(ParseBool(v)); }},
      {L"scrollbarpadding", [](Self& c, const std::wstring& v) { c.scrollbar_padding_ = ScaleInsets(ParseRect(v)); }},
      {L"vscrollunit", [](Self& c, const std::wstring& v) { c.SetVerScrollUnit(ParseInt(v), true); }},
      {L"scrollbarfloat", [](Self& c, const std::wstring& v) { c.scrollbar_float_ = ParseBool(v); }},
      {L"vscrollbarleft", [](Self& c, const std::wstring& v) { c.vscrollbar_left_ = ParseBool(v); }},
      {L"holdend", [](Self& c, const std::wstring& v) { c.hold_end_ = ParseBool(v); }},
  };
  return table.Apply(*this, name, value) || Box::SetAttribute(name, value);
}

void ScrollableBox::EnableVScrollBar(bool on) {
  vscrollbar_ = on;
  Arrange();
}

void ScrollableBox::SetVerScrollUnit(int pixels, bool scale) {
  ver_scroll_unit_ = scale ? ScaleInt(pixels) : pixels;
}

UiRect ScrollableBox::ViewportRect() const {
  UiRect r = GetPos();
  r.Deflate(GetLayout()->GetPadding());
  if (vscrollbar_ && !scrollbar_float_) {
    if (vscrollbar_left_) r.left += scrollbar_width_;
    else r.right -= scrollbar_width_;
  }
  return r;
}

void ScrollableBox::SetPos(const UiRect& rect) {
  Control::SetPos(rect);
  ArrangeScrolled();
}

void ScrollableBox::ArrangeScrolled() {
  UiRect view = ViewportRect();
  const bool was_at_end = scroll_y_ > 0 && scroll_y_ >= GetScrollRangeY();
  viewport_height_ = view.Height();
  if (items_.empty()) {
    content_height_ = 0;
    scroll_y_ = 0;
    return;
  }
  UiRect shifted = view;
  shifted.Offset(0, -scroll_y_);
  content_height_ = GetLayout()->ArrangeChild(items_, shifted).cy;
  int target = std::clamp(scroll_y_, 0, GetScrollRangeY());
  if (hold_end_ && was_at_end) target = GetScrollRangeY();
  if (target != scroll_y_) {
    scroll_y_ = target;
    shifted = view;
    shifted.Offset(0, -scroll_y_);
    GetLayout()->ArrangeChild(items_, shifted);
  }
}

void ScrollableBox::SetScrollPosY(int y) {
  int target = std::clamp(y, 0, GetScrollRangeY());
  if (target == scroll_y_) return;
  scroll_y_ = target;
  ArrangeScrolled();
  Invalidate();
  if (!window_) return;
  // The items moved under a pointer that may not have: what is under it now
  // is hot, what was is no longer.
  window_->RefreshHover();
  SendEvent(kEventScrollChange, 0, scroll_y_);
}

void ScrollableBox::EnsureVisible(const UiRect& rect) {
  UiRect view = ViewportRect();
  if (rect.top < view.top) SetScrollPosY(scroll_y_ - (view.top - rect.top));
  else if (rect.bottom > view.bottom) SetScrollPosY(scroll_y_ + (rect.bottom - view.bottom));
}

void ScrollableBox::OnScrollWheel(int delta) {
  int notches = delta / 120;
  if (notches == 0) notches = delta > 0 ? 1 : (delta < 0 ? -1 : 0);
  SetScrollPosY(scroll_y_ - notches * ver_scroll_unit_);
}

bool ScrollableBox::OnScrollKey(wchar_t key) {
  const int page = std::max(1, viewport_height_ - ver_scroll_unit_ / 2);
  switch (key) {
    case kKeyPageUp: SetScrollPosY(scroll_y_ - page); return true;
    case kKeyPageDown: SetScrollPosY(scroll_y_ + page); return true;
    case kKeyHome: SetScrollPosY(0); return true;
    case kKeyEnd: SetScrollPosY(GetScrollRangeY()); return true;
    default: return false;
  }
}

UiRect ScrollableBox::GetScrollTrackRect() const {
  if (!vscrollbar_ || GetScrollRangeY() <= 0 || content_height_ <= 0) return {};
  UiRect view = ViewportRect();
  const int right = vscrollbar_left_ ? GetPos().left + scrollbar_width_ : GetPos().right;
  return {right - scrollbar_width_, view.top + scrollbar_padding_.top, right,
          view.bottom - scrollbar_padding_.bottom};
}

UiRect ScrollableBox::GetScrollThumbRect() const {
  const UiRect track = GetScrollTrackRect();
  if (track.IsEmpty()) return {};
  const int length = track.Height();
  const int thumb = std::min(length, std::max(ScaleInt(kMinThumbHeight),
                                              static_cast<int>(1LL * length * viewport_height_ / content_height_)));
  const int top = track.top + static_cast<int>(1LL * (length - thumb) * scroll_y_ / GetScrollRangeY());
  return {track.left, top, track.right, top + thumb};
}

bool ScrollableBox::IsOnScrollBar(UiPoint point) const {
  UiRect grab = GetScrollTrackRect();
  if (grab.IsEmpty()) return false;
  const int extra = std::max(0, ScaleInt(kMinGrabWidth) - grab.Width());
  if (vscrollbar_left_) grab.right += extra;
  else grab.left -= extra;
  return grab.Contains(point);
}

Control* ScrollableBox::FindControl(const FindControlProc& proc, unsigned flags, UiPoint point) {
  // The bar lies over the items: there the box itself takes the pointer.
  if ((flags & kFindHitTest) && IsVisible() && IsMouseEnabled() && IsOnScrollBar(point) &&
      (!(flags & kFindEnabled) || IsEnabled())) {
    return proc(this) ? this : nullptr;
  }
  return Box::FindControl(proc, flags, point);
}

bool ScrollableBox::OnBarPress(UiPoint point) {
  if (!IsOnScrollBar(point)) return false;
  const UiRect thumb = GetScrollThumbRect();
  if (point.y >= thumb.top && point.y < thumb.bottom) {
    thumb_grab_ = point.y - thumb.top;  // the router captures the pointer for the press
  } else {
    // The track pages towards the pointer.
    OnScrollKey(point.y < thumb.top ? kKeyPageUp : kKeyPageDown);
  }
  return true;
}

void ScrollableBox::HandleEventInternal(const EventArgs& args) {
  switch (args.type) {
    case kEventMouseScrollWheel:
      if (IsMouseEnabled() && vscrollbar_) {
        OnScrollWheel(static_cast<int>(static_cast<intptr_t>(args.w_param)));
        return;
      }
      break;
    case kEventMouseButtonDown:
      if (args.sender == this && OnBarPress(args.mouse_point)) return;
      break;
    case kEventMouseMove:
      if (thumb_grab_) {
        const UiRect track = GetScrollTrackRect();
        const int travel = track.Height() - GetScrollThumbRect().Height();
        if (travel > 0) {
          const int top = args.mouse_point.y - *thumb_grab_ - track.top;
          SetScrollPosY(static_cast<int>(1LL * top * GetScrollRangeY() / travel));
        }
        return;
      }
      break;
    case kEventMouseButtonUp:
      if (thumb_grab_) {
        thumb_grab_.reset();
        return;
      }
      break;
    case kEventKeyDown:
      if (vscrollbar_ && OnScrollKey(args.key_code)) return;
      break;
    default: break;
  }
  Box::HandleEventInternal(args);
}

void ScrollableBox::PaintChildren(RenderContext& context, const UiRect& dirty) {
  Box::PaintChildren(context, ViewportRect().Intersect(dirty));
  const UiRect thumb = GetScrollThumbRect();
  if (!thumb.IsEmpty()) context.FillRect(thumb, kScrollThumbColor);
}

}  // namespace ui
