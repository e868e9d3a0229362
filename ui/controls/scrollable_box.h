// ui::ScrollableBox: a box whose items scroll vertically inside it. The items
// are arranged shifted up by the scroll position; a bar is drawn at the
// right edge while the content is taller than the box. The wheel scrolls by
// the vertical scroll unit; the bar's thumb can be dragged, a press on its
// track pages towards the pointer; PageUp/PageDown page and Home/End go to
// either end when the box (or an item in it) has the keyboard.
#pragma once

#include <optional>

#include "ui/controls/box.h"

namespace ui {

class ScrollableBox : public Box {
 public:
  explicit ScrollableBox(Layout* layout = nullptr);
  ~ScrollableBox() override { BeginDestroy(); }
  std::wstring GetType() const override { return L"ScrollableBox"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetPos(const UiRect& rect) override;
  Control* FindControl(const FindControlProc& proc, unsigned flags, UiPoint point) override;

  int GetScrollPosY() const { return scroll_y_; }
  // Clamped to 0..GetScrollRangeY(); re-arranges the items.
  void SetScrollPosY(int y);
  int GetScrollRangeY() const { return std::max(0, content_height_ - viewport_height_); }
  int GetContentHeight() const { return content_height_; }
  // Scroll unit in pixels; `scale` applies the UI scale first.
  void SetVerScrollUnit(int pixels, bool scale);
  int GetVerScrollUnit() const { return ver_scroll_unit_; }
  bool IsVScrollBarEnabled() const { return vscrollbar_; }
  void EnableVScrollBar(bool on);
  // Scrolls so that `rect` (in the current, scrolled coordinates) is inside
  // the box.
  void EnsureVisible(const UiRect& rect);

  // The bar while there is something to scroll: its track and its thumb
  // (empty rectangles otherwise).
  UiRect GetScrollTrackRect() const;
  UiRect GetScrollThumbRect() const;

 protected:
  void HandleEventInternal(const EventArgs& args) override;
  void PaintChildren(RenderContext& context, const UiRect& dirty) override;
  // Wheel hook: `delta` is the signed wheel delta (120 per notch).
  virtual void OnScrollWheel(int delta);
  // Keys that scroll; true when `key` was one of them.
  virtual bool OnScrollKey(wchar_t key);

 private:
  UiRect ViewportRect() const;
  void ArrangeScrolled();
  // Where the bar takes the pointer: the track, a little wider than drawn.
  bool IsOnScrollBar(UiPoint point) const;
  bool OnBarPress(UiPoint point);

  int scroll_y_ = 0;
  int content_height_ = 0;
  int viewport_height_ = 0;
  int ver_scroll_unit_ = 30;
  int scrollbar_width_ = 6;
  bool vscrollbar_ = false;
  bool scrollbar_float_ = true;
  bool vscrollbar_left_ = false;
  bool hold_end_ = false;
  std::optional<int> thumb_grab_;  // pointer offset into the thumb while dragging
  UiRect scrollbar_padding_;  // insets the bar's track (top and bottom)
};

}  // namespace ui
