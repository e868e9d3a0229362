#include "ui/render/text_caret_map.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>

#include "ui/render/text_layout.h"
#include "ui/render/text_style.h"

namespace ui {
namespace {

// Bytes of one code point in UTF-8 (wide strings hold code points).
int Utf8Length(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  return u < 0x80 ? 1 : u < 0x800 ? 2 : u < 0x10000 ? 3 : 4;
}

}  // namespace

TextCaretMap::TextCaretMap(const std::wstring& text, const std::wstring& font_id, unsigned style,
                           int width) {
  style &= ~static_cast<unsigned>(kTextEndEllipsis | kTextCenter | kTextRight);
  // An empty layout still reports the line height.
  PangoLayout* layout = CreateTextLayout(MeasureContext(), text, font_id, style,
                                         (style & kTextSingleLine) ? 0 : width, 0);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  size_ = {logical.width, logical.height};
  carets_.reserve(text.size() + 1);
  int byte = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    PangoRectangle strong;
    pango_layout_get_cursor_pos(layout, byte, &strong, nullptr);
    const int x = PANGO_PIXELS(strong.x);
    const int y = PANGO_PIXELS(strong.y);
    carets_.push_back({x, y, x + 1, y + std::max(1, PANGO_PIXELS(strong.height))});
    if (i < text.size()) byte += Utf8Length(text[i]);
  }
  g_object_unref(layout);
}

UiRect TextCaretMap::CaretRect(size_t position) const {
  if (carets_.empty()) return {};
  return carets_[std::min(position, carets_.size() - 1)];
}

size_t TextCaretMap::PositionAt(UiPoint point) const {
  size_t best = 0;
  long best_distance = LONG_MAX;
  for (size_t i = 0; i < carets_.size(); ++i) {
    const UiRect& c = carets_[i];
    // Lines first: a point above or below a line is as far as it is.
    const long dy = point.y < c.top ? c.top - point.y : point.y >= c.bottom ? point.y - c.bottom + 1 : 0;
    const long dx = std::labs(static_cast<long>(point.x) - c.left);
    const long distance = dy * 100000 + dx;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
    }
  }
  return best;
}

std::vector<UiRect> TextCaretMap::RangeRects(size_t from, size_t to) const {
  std::vector<UiRect> rects;
  to = std::min(to, carets_.empty() ? 0 : carets_.size() - 1);
  for (size_t i = from; i < to; ++i) {
    const UiRect& here = carets_[i];
    const UiRect& next = carets_[i + 1];
    // A character that ends its line reaches to the text's right edge.
    const int right = next.top == here.top ? next.left : std::max(size_.cx, here.left + 1);
    UiRect box{std::min(here.left, right), here.top, std::max(here.left, right), here.bottom};
    if (!rects.empty() && rects.back().top == box.top) {
      rects.back().left = std::min(rects.back().left, box.left);
      rects.back().right = std::max(rects.back().right, box.right);
    } else {
      rects.push_back(box);
    }
  }
  return rects;
}

}  // namespace ui
