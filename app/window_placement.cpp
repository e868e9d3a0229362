#include "app/window_placement.h"

#include <algorithm>

void FitAndCenterWindow(ui::WindowImplBase& window) {
  ui::X11WindowHost* host = window.host();
  if (!host || !window.display()) return;
  // The estimate is that of the native window, drawn shadow included; the
  // frame inside it is what gets centred.
  const ui::UiRect shadow = window.GetShadowPadding();
  const platform::x11::Rect frame = host->frame_bounds();
  const ui::UiSize outer = window.EstimateRootSize(
      ui::UiSize{frame.width + shadow.left + shadow.right, frame.height + shadow.top + shadow.bottom});
  const int width = outer.cx - shadow.left - shadow.right;
  const int height = outer.cy - shadow.top - shadow.bottom;
  const platform::x11::Rect work = window.display()->GetWorkArea();
  platform::x11::Rect target = work;
  if (ui::WindowImplBase* owner = window.owner();
      owner && owner->host() && owner->native_window()->mapped()) {
    target = owner->host()->frame_bounds();
  }
  int x = target.x + (target.width - width) / 2;
  int y = target.y + (target.height - height) / 2;
  // The left and top edges win when the work area is too small.
  x = std::max(work.x, std::min(x, work.x + work.width - width));
  y = std::max(work.y, std::min(y, work.y + work.height - height));
  host->SetFrameBounds(platform::x11::Rect{x, y, width, height});
}
