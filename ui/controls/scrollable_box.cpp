#include "ui/controls/scrollable_box.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/core/window.h"
#include "ui/render/render_context.h"

namespace ui {

namespace {
constexpr uint32_t kScrollThumbColor = 0x80909090;
constexpr int kMinThumbHeight = 16;
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
  if (window_) SendEvent(kEventScrollChange, 0, scroll_y_);
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

void ScrollableBox::HandleEventInternal(const EventArgs& args) {
  if (args.type == kEventMouseScrollWheel && IsMouseEnabled() && vscrollbar_) {
    OnScrollWheel(static_cast<int>(static_cast<intptr_t>(args.w_param)));
    return;
  }
  Box::HandleEventInternal(args);
}

void ScrollableBox::PaintChildren(RenderContext& context, const UiRect& dirty) {
  Box::PaintChildren(context, ViewportRect().Intersect(dirty));
  if (!vscrollbar_ || GetScrollRangeY() <= 0 || content_height_ <= 0) return;
  UiRect view = ViewportRect();
  int track = view.Height();
  int thumb = std::max(kMinThumbHeight, track * track / content_height_);
  thumb = std::min(thumb, track);
  int top = view.top + (track - thumb) * scroll_y_ / GetScrollRangeY();
  int right = vscrollbar_left_ ? GetPos().left + scrollbar_width_ : GetPos().right;
  context.FillRect({right - scrollbar_width_, top, right, top + thumb}, kScrollThumbColor);
}

}  // namespace ui
