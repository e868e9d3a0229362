// Geometry of a window dragged by its caption or resized by an edge when no
// window manager does it: the new bounds for a pointer that moved by
// (dx, dy) since the drag began. Pure functions.
#pragma once

#include <optional>

#include "platform/x11/window_event.h"

namespace platform::x11 {

// `edge` empty: a move. A resize keeps the opposite edges in place and keeps
// the size within [min_size, max_size] (a zero field means no limit) and at
// least 1 x 1.
Rect DraggedBounds(const Rect& start, std::optional<ResizeEdge> edge, int dx, int dy,
                   Size min_size, Size max_size);

}  // namespace platform::x11
