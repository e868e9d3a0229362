#include "platform/x11/drag_geometry.h"

#include <algorithm>

namespace platform::x11 {
namespace {

int ClampLength(int length, int min_length, int max_length) {
  if (max_length > 0) length = std::min(length, max_length);
  return std::max({length, min_length, 1});
}

}  // namespace

Rect DraggedBounds(const Rect& start, std::optional<ResizeEdge> edge, int dx, int dy,
                   Size min_size, Size max_size) {
  if (!edge) return Rect{start.x + dx, start.y + dy, start.width, start.height};

  const ResizeEdge e = *edge;
  const bool left = e == ResizeEdge::kLeft || e == ResizeEdge::kTopLeft || e == ResizeEdge::kBottomLeft;
  const bool right = e == ResizeEdge::kRight || e == ResizeEdge::kTopRight || e == ResizeEdge::kBottomRight;
  const bool top = e == ResizeEdge::kTop || e == ResizeEdge::kTopLeft || e == ResizeEdge::kTopRight;
  const bool bottom = e == ResizeEdge::kBottom || e == ResizeEdge::kBottomLeft || e == ResizeEdge::kBottomRight;

  Rect r = start;
  if (left || right) {
    const int width = ClampLength(start.width + (left ? -dx : dx), min_size.width, max_size.width);
    if (left) r.x = start.x + start.width - width;  // the right edge stays
    r.width = width;
  }
  if (top || bottom) {
    const int height = ClampLength(start.height + (top ? -dy : dy), min_size.height, max_size.height);
    if (top) r.y = start.y + start.height - height;
    r.height = height;
  }
  return r;
}

}  // namespace platform::x11
