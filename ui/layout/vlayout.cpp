#include "ui/layout/vlayout.h"

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

UiSize VLayout::ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) {
  const int W = rect.Width();
  const int H = rect.Height();
  int fixed_total = 0;
  int stretch_count = 0;
  int count = 0;
  for (Control* item : items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    const UiRect& m = item->GetMargin();
    UiSize s = item->EstimateSize({W, H});
    if (s.cy == kSizeStretch) {
      ++stretch_count;
      fixed_total += m.top + m.bottom;
    } else {
      fixed_total += m.top + ClampHeight(item, s.cy) + m.bottom;
    }
    ++count;
  }
  if (count > 1) fixed_total += child_margin_ * (count - 1);

  int share = 0;
  if (stretch_count > 0) share = std::max(0, (H - fixed_total) / stretch_count);
  int remainder = H - share * stretch_count - fixed_total;

  int y = rect.top;
  int remaining = H;
  UiSize needed;
  for (Control* item : items) {
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) {
      SetFloatPos(item, rect);
      continue;
    }
    const UiRect& m = item->GetMargin();
    remaining -= m.top;
    UiSize s = item->EstimateSize({W, remaining});
    int h = s.cy;
    if (h == kSizeStretch) {
      h = share;
      if (remainder > 0) {
        ++h;
        --remainder;
      }
    }
    h = ClampHeight(item, h);
    int w = s.cx == kSizeStretch ? W - m.left - m.right : s.cx;
    w = ClampWidth(item, std::max(w, 0));

    int left = rect.left + m.left;
    if (item->GetHorAlign() == HorAlign::kRight) left = rect.right - m.right - w;
    else if (item->GetHorAlign() == HorAlign::kCenter) left = rect.left + (W - w + m.left - m.right) / 2;

    item->SetPos({left, y + m.top, left + w, y + m.top + h});
    y += m.top + h + m.bottom + child_margin_;
    remaining -= h + m.bottom + child_margin_;
    needed.cy += m.top + h + m.bottom;
    needed.cx = std::max(needed.cx, w);
  }
  if (count > 1) needed.cy += child_margin_ * (count - 1);
  return needed;
}

UiSize VLayout::MeasureChildren(const std::vector<Control*>& items, UiSize available) {
  UiSize needed;
  int count = 0;
  for (Control* item : items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    const UiRect& m = item->GetMargin();
    UiSize s = EstimateForMeasure(item, available);
    int w = ClampWidth(item, s.cx);
    int h = ClampHeight(item, s.cy);
    needed.cx = std::max(needed.cx, m.left + w + m.right);
    needed.cy += m.top + h + m.bottom;
    ++count;
  }
  if (count > 1) needed.cy += child_margin_ * (count - 1);
  needed.cx += padding_.left + padding_.right;
  needed.cy += padding_.top + padding_.bottom;
  return needed;
}

}  // namespace ui
