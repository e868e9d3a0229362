#include "ui/layout/hlayout.h"

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

}  // namespace

UiSize HLayout::ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) {
  const int W = rect.Width();
  const int H = rect.Height();
  int fixed_total = 0;
  int stretch_count = 0;
  int count = 0;
  for (Control* item : items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    const UiRect& m = item->GetMargin();
    UiSize s = item->EstimateSize({W, H});
    if (s.cx == kSizeStretch) {
      ++stretch_count;
      fixed_total += m.left + m.right;
    } else {
      fixed_total += m.left + ClampWidth(item, s.cx) + m.right;
    }
    ++count;
  }
  if (count > 1) fixed_total += child_margin_ * (count - 1);

  int share = 0;
  if (stretch_count > 0) share = std::max(0, (W - fixed_total) / stretch_count);
  int remainder = W - share * stretch_count - fixed_total;

  int x = rect.left;
  int remaining = W;
  UiSize needed;
  for (Control* item : items) {
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) {
      SetFloatPos(item, rect);
      continue;
    }
    const UiRect& m = item->GetMargin();
    remaining -= m.left;
    UiSize s = item->EstimateSize({remaining, H});
    int w = s.cx;
    if (w == kSizeStretch) {
      w = share;
      if (remainder > 0) {
        ++w;
        --remainder;
      }
    }
    w = ClampWidth(item, w);
    int h = s.cy == kSizeStretch ? H - m.top - m.bottom : s.cy;
    h = ClampHeight(item, std::max(h, 0));

    int top = rect.top + m.top;
    if (item->GetVerAlign() == VerAlign::kBottom) top = rect.bottom - m.bottom - h;
    else if (item->GetVerAlign() == VerAlign::kCenter) top = rect.top + (H - h + m.top - m.bottom) / 2;

    item->SetPos({x + m.left, top, x + m.left + w, top + h});
    x += m.left + w + m.right + child_margin_;
    remaining -= w + m.right + child_margin_;
    needed.cx += m.left + w + m.right;
    needed.cy = std::max(needed.cy, h);
  }
  if (count > 1) needed.cx += child_margin_ * (count - 1);
  return needed;
}

UiSize HLayout::MeasureChildren(const std::vector<Control*>& items, UiSize available) {
  UiSize needed;
  int count = 0;
  for (Control* item : items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    const UiRect& m = item->GetMargin();
    UiSize s = EstimateForMeasure(item, available);
    int w = ClampWidth(item, s.cx);
    int h = ClampHeight(item, s.cy);
    needed.cx += m.left + w + m.right;
    needed.cy = std::max(needed.cy, m.top + h + m.bottom);
    ++count;
  }
  if (count > 1) needed.cx += child_margin_ * (count - 1);
  needed.cx += padding_.left + padding_.right;
  needed.cy += padding_.top + padding_.bottom;
  return needed;
}

}  // namespace ui
