// Where a point of a frameless window falls: a size-box band, the caption
// (drag area) or the client area. X11 has no non-client area, so the window
// base asks this on every button press and pointer move.
//
// The size box is measured inside the shadow padding (the drawn shadow is
// not part of the window the user sees); it is ignored while maximised. In
// the caption band, buttons, rich edits and combo boxes stay clickable.
// UI thread only (it searches the control tree).
#pragma once

#include "ui/core/geometry.h"

namespace ui {

class Window;

enum class HitArea {
  kClient,
  kCaption,
  kTopLeft,
  kTop,
  kTopRight,
  kRight,
  kBottomRight,
  kBottom,
  kBottomLeft,
  kLeft,
};

struct HitTestFrame {
  UiSize client;         // client size in pixels
  UiRect shadow_padding; // drawn shadow margin, zero when none is drawn
  bool maximized = false;
};

HitArea HitTestWindow(const Window& window, UiPoint point, const HitTestFrame& frame);

// True for the resize areas (everything but client and caption).
inline bool IsSizeArea(HitArea area) { return area != HitArea::kClient && area != HitArea::kCaption; }

}  // namespace ui
