#include "app/window_placement.h"

#include <algorithm>

void FitAndCenterWindow(ui::WindowImplBase& window) {
  platform::x11::NativeWindow* native = window.native_window();
  if (!native || !window.display()) return;
  const platform::x11::Rect now = native->bounds();
  const ui::UiSize size = window.EstimateRootSize(ui::UiSize{now.width, now.height});
  const platform::x11::Rect work = window.display()->GetWorkArea();
  platform::x11::Rect target = work;
  if (ui::WindowImplBase* owner = window.owner();
      owner && owner->native_window() && owner->native_window()->mapped()) {
    target = owner->native_window()->bounds();
  }
  int x = target.x + (target.width - size.cx) / 2;
  int y = target.y + (target.height - size.cy) / 2;
  // The left and top edges win when the work area is too small.
  x = std::max(work.x, std::min(x, work.x + work.width - size.cx));
  y = std::max(work.y, std::min(y, work.y + work.height - size.cy));
  native->SetBounds(platform::x11::Rect{x, y, size.cx, size.cy});
}
