// The outline of a window frame with round corners as horizontal bands, the
// form the X shape extension takes (sorted by y, then x; bands never
// overlap). The corners follow the same quarter ellipses as the round clip
// of the painter (radii of half the corner size). Pure computation.
#pragma once

#include <vector>

#include "ui/core/geometry.h"

namespace ui {

// Bands covering `frame` without its round corners; one band for the whole
// frame when `round` is empty.
std::vector<UiRect> RoundRectBands(const UiRect& frame, UiSize round);

}  // namespace ui
