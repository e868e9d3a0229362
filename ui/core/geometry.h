// Geometry value types of the UI framework: points, sizes and rectangles in
// window client pixels (signed 32-bit). Plain values, no ownership.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ui {

struct UiPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const UiPoint&, const UiPoint&) = default;
};

struct UiSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const UiSize&, const UiSize&) = default;
};

// A rectangle as left, top, right, bottom; right and bottom are exclusive.
// Also used for four-sided insets (margins, paddings, corners).
struct UiRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool IsZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool Contains(UiPoint p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  void Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  // Shrinks the rectangle by four insets.
  void Deflate(const UiRect& insets) {
    left += insets.left;
    top += insets.top;
    right -= insets.right;
    bottom -= insets.bottom;
  }
  // The common part; an empty result is all zero.
  UiRect Intersect(const UiRect& o) const {
    UiRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
             std::min(bottom, o.bottom)};
    return r.IsEmpty() ? UiRect{} : r;
  }
  bool Intersects(const UiRect& o) const { return !Intersect(o).IsEmpty(); }
  // The smallest rectangle holding both; an empty side is ignored.
  UiRect Union(const UiRect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
  }
  friend bool operator==(const UiRect&, const UiRect&) = default;
};

// A rectangle on the screen as position and size (window placement).
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

}  // namespace ui
