#include "ui/host/window_shape.h"

#include <algorithm>
#include <cmath>

namespace ui {

std::vector<UiRect> RoundRectBands(const UiRect& frame, UiSize round) {
  std::vector<UiRect> bands;
  if (frame.IsEmpty()) return bands;
  const double rx = std::min(round.cx / 2.0, frame.Width() / 2.0);
  const double ry = std::min(round.cy / 2.0, frame.Height() / 2.0);
  const int corner_rows =
      (rx > 0 && ry > 0) ? std::min(static_cast<int>(std::ceil(ry)), frame.Height() / 2) : 0;
  // Columns cut from each side of the row `row` pixels from the top or bottom
  // edge, measured at the row's centre.
  auto inset = [&](int row) {
    const double dy = (ry - (row + 0.5)) / ry;
    const double dx = rx * (1.0 - std::sqrt(std::max(0.0, 1.0 - dy * dy)));
    return static_cast<int>(std::lround(dx));
  };
  for (int row = 0; row < corner_rows; ++row) {
    const int cut = inset(row);
    bands.push_back({frame.left + cut, frame.top + row, frame.right - cut, frame.top + row + 1});
  }
  if (frame.Height() > 2 * corner_rows) {
    bands.push_back({frame.left, frame.top + corner_rows, frame.right, frame.bottom - corner_rows});
  }
  for (int row = corner_rows - 1; row >= 0; --row) {
    const int cut = inset(row);
    bands.push_back({frame.left + cut, frame.bottom - row - 1, frame.right - cut, frame.bottom - row});
  }
  return bands;
}

}  // namespace ui
