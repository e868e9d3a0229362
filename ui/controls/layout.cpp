#include "ui/controls/layout.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/controls/box.h"
#include "ui/core/value_parser.h"

namespace ui {

namespace {

int ClampToMinMax(int value, int min_value, int max_value) {
  value = std::max(value, min_value);
  if (max_value >= 0) value = std::min(value, max_value);
  return value;
}

}  // namespace

bool Layout::SetAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<Layout> table = {
      {L"padding", [](Layout& l, const std::wstring& v) { l.SetPadding(ParseRect(v), true); }},
      {L"childmargin", [](Layout& l, const std::wstring& v) { l.SetChildMargin(ParseInt(v), true); }},
  };
  return table.Apply(*this, name, value);
}

void Layout::SetPadding(const UiRect& padding, bool scale) {
  padding_ = scale ? ScalePadding(padding) : padding;
  if (owner_) owner_->Arrange();
}

void Layout::SetChildMargin(int margin, bool scale) {
  child_margin_ = scale ? ScaleInt(margin) : margin;
  if (owner_) owner_->Arrange();
}

UiSize Layout::EstimateForMeasure(Control* item, UiSize available) {
  UiSize size = item->EstimateSize(available);
  if (size.cx == kSizeStretch || size.cy == kSizeStretch) {
    UiSize content = item->EstimateContentSize(available);
    if (size.cx == kSizeStretch) size.cx = content.cx;
    if (size.cy == kSizeStretch) size.cy = content.cy;
  }
  return size;
}

UiSize Layout::SetFloatPos(Control* item, const UiRect& container) {
  UiRect r = container;
  r.Deflate(item->GetMargin());
  UiSize size = item->EstimateSize({r.Width(), r.Height()});
  int w = size.cx < 0 ? r.Width() : size.cx;
  int h = size.cy < 0 ? r.Height() : size.cy;
  w = ClampToMinMax(std::max(w, 0), item->GetMinWidth(), item->GetMaxWidth());
  h = ClampToMinMax(std::max(h, 0), item->GetMinHeight(), item->GetMaxHeight());
  int left = r.left;
  if (item->GetHorAlign() == HorAlign::kCenter) left = r.left + (r.Width() - w) / 2;
  else if (item->GetHorAlign() == HorAlign::kRight) left = r.right - w;
  int top = r.top;
  if (item->GetVerAlign() == VerAlign::kCenter) top = r.top + (r.Height() - h) / 2;
  else if (item->GetVerAlign() == VerAlign::kBottom) top = r.bottom - h;
  item->SetPos({left, top, left + w, top + h});
  return {w, h};
}

UiSize Layout::ArrangeChild(const std::vector<Control*>& items, const UiRect& rect) {
  UiSize needed;
  for (Control* item : items) {
    if (!item->IsVisible()) continue;
    UiSize s = SetFloatPos(item, rect);
    const UiRect& m = item->GetMargin();
    needed.cx = std::max(needed.cx, m.left + s.cx + m.right);
    needed.cy = std::max(needed.cy, m.top + s.cy + m.bottom);
  }
  return needed;
}

UiSize Layout::MeasureChildren(const std::vector<Control*>& items, UiSize available) {
  UiSize needed;
  for (Control* item : items) {
    if (!item->IsVisible()) continue;
    const UiRect& m = item->GetMargin();
    UiSize s = EstimateForMeasure(item, available);
    s.cx = ClampToMinMax(s.cx, item->GetMinWidth(), item->GetMaxWidth());
    s.cy = ClampToMinMax(s.cy, item->GetMinHeight(), item->GetMaxHeight());
    needed.cx = std::max(needed.cx, m.left + s.cx + m.right);
    needed.cy = std::max(needed.cy, m.top + s.cy + m.bottom);
  }
  needed.cx += padding_.left + padding_.right;
  needed.cy += padding_.top + padding_.bottom;
  return needed;
}

}  // namespace ui
