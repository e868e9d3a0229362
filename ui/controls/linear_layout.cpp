#include "ui/controls/linear_layout.h"

#include <algorithm>

#include "ui/controls/control.h"

namespace ui {

namespace {

int ClampHeight(const Control* c, int h) {
  return std::min(std::max(h, c->GetMinHeight()), c->GetMaxHeight());
}

int ClampWidth(const Control* c, int w) {
  w = std::max(w, c->GetMinWidth());
  if (c->GetMaxWidth() >= 0) w = std::min(w, c->GetMaxWidth());
  return w;
}

enum class CrossAlign { kStart, kCenter, kEnd };

// Reads and builds sizes and rectangles in main/cross terms, so one
// algorithm serves both orientations. "Before" is left or top, "after" right
// or bottom.
struct Axis {
  bool horizontal;

  int& Main(UiSize& s) const { return horizontal ? s.cx : s.cy; }
  int& Cross(UiSize& s) const { return horizontal ? s.cy : s.cx; }
  int Main(const UiSize& s) const { return horizontal ? s.cx : s.cy; }
  int Cross(const UiSize& s) const { return horizontal ? s.cy : s.cx; }
  int MainBefore(const UiRect& r) const { return horizontal ? r.left : r.top; }
  int MainAfter(const UiRect& r) const { return horizontal ? r.right : r.bottom; }
  int CrossBefore(const UiRect& r) const { return horizontal ? r.top : r.left; }
  int CrossAfter(const UiRect& r) const { return horizontal ? r.bottom : r.right; }
  int MainLength(const UiRect& r) const { return horizontal ? r.Width() : r.Height(); }
  int CrossLength(const UiRect& r) const { return horizontal ? r.Height() : r.Width(); }

  UiSize Size(int main, int cross) const {
    return horizontal ? UiSize{main, cross} : UiSize{cross, main};
  }
  UiRect Rect(int main_before, int cross_before, int main_after, int cross_after) const {
    return horizontal ? UiRect{main_before, cross_before, main_after, cross_after}
                      : UiRect{cross_before, main_before, cross_after, main_after};
  }

  int ClampMain(const Control* c, int v) const {
    return horizontal ? ClampWidth(c, v) : ClampHeight(c, v);
  }
  int ClampCross(const Control* c, int v) const {
    return horizontal ? ClampHeight(c, v) : ClampWidth(c, v);
  }

  // Across a row the vertical alignment counts, across a column the
  // horizontal one.
  CrossAlign Align(const Control* c) const {
    if (horizontal) {
      if (c->GetVerAlign() == VerAlign::kBottom) return CrossAlign::kEnd;
      if (c->GetVerAlign() == VerAlign::kCenter) return CrossAlign::kCenter;
    } else {
      if (c->GetHorAlign() == HorAlign::kRight) return CrossAlign::kEnd;
      if (c->GetHorAlign() == HorAlign::kCenter) return CrossAlign::kCenter;
    }
    return CrossAlign::kStart;
  }
};

}  // namespace

UiSize LinearLayout::ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) {
  const Axis axis{orientation_ == Orientation::kHorizontal};
  const int main_length = axis.MainLength(rect);
  const int cross_length = axis.CrossLength(rect);
  int fixed_total = 0;
  int stretch_count = 0;
  int count = 0;
  for (Control* item : items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    const UiRect& m = item->GetMargin();
    UiSize s = item->EstimateSize({rect.Width(), rect.Height()});
    if (axis.Main(s) == kSizeStretch) {
      ++stretch_count;
      fixed_total += axis.MainBefore(m) + axis.MainAfter(m);
    } else {
      fixed_total += axis.MainBefore(m) + axis.ClampMain(item, axis.Main(s)) + axis.MainAfter(m);
    }
    ++count;
  }
  if (count > 1) fixed_total += child_margin_ * (count - 1);

  int share = 0;
  if (stretch_count > 0) share = std::max(0, (main_length - fixed_total) / stretch_count);
  int remainder = main_length - share * stretch_count - fixed_total;

  int position = axis.MainBefore(rect);
  int remaining = main_length;
  UiSize needed;
  for (Control* item : items) {
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) {
      SetFloatPos(item, rect);
      continue;
    }
    const UiRect& m = item->GetMargin();
    const int before = axis.MainBefore(m);
    const int after = axis.MainAfter(m);
    remaining -= before;
    UiSize s = item->EstimateSize(axis.Size(remaining, cross_length));
    int length = axis.Main(s);
    if (length == kSizeStretch) {
      length = share;
      if (remainder > 0) {
        ++length;
        --remainder;
      }
    }
    length = axis.ClampMain(item, length);
    int thickness = axis.Cross(s) == kSizeStretch
                        ? cross_length - axis.CrossBefore(m) - axis.CrossAfter(m)
                        : axis.Cross(s);
    thickness = axis.ClampCross(item, std::max(thickness, 0));

    int cross_start = axis.CrossBefore(rect) + axis.CrossBefore(m);
    switch (axis.Align(item)) {
      case CrossAlign::kEnd:
        cross_start = axis.CrossAfter(rect) - axis.CrossAfter(m) - thickness;
        break;
      case CrossAlign::kCenter:
        cross_start = axis.CrossBefore(rect) +
                      (cross_length - thickness + axis.CrossBefore(m) - axis.CrossAfter(m)) / 2;
        break;
      case CrossAlign::kStart:
        break;
    }

    item->SetPos(axis.Rect(position + before, cross_start, position + before + length,
                           cross_start + thickness));
    position += before + length + after + child_margin_;
    remaining -= length + after + child_margin_;
    axis.Main(needed) += before + length + after;
    axis.Cross(needed) = std::max(axis.Cross(needed), thickness);
  }
  if (count > 1) axis.Main(needed) += child_margin_ * (count - 1);
  return needed;
}

UiSize LinearLayout::MeasureChildren(const std::vector<Control*>& items, UiSize available) {
  const Axis axis{orientation_ == Orientation::kHorizontal};
  UiSize needed;
  int count = 0;
  for (Control* item : items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    const UiRect& m = item->GetMargin();
    const UiSize s = EstimateForMeasure(item, available);
    const UiSize clamped{ClampWidth(item, s.cx), ClampHeight(item, s.cy)};
    axis.Main(needed) += axis.MainBefore(m) + axis.Main(clamped) + axis.MainAfter(m);
    axis.Cross(needed) = std::max(axis.Cross(needed),
                                  axis.CrossBefore(m) + axis.Cross(clamped) + axis.CrossAfter(m));
    ++count;
  }
  if (count > 1) axis.Main(needed) += child_margin_ * (count - 1);
  needed.cx += padding_.left + padding_.right;
  needed.cy += padding_.top + padding_.bottom;
  return needed;
}

}  // namespace ui
