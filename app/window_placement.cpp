#include "app/window_placement.h"

void FitAndCenterWindow(ui::WindowImplBase& window) {
  ui::TopLevelHost* host = window.host();
  if (!host || !window.window_system()) return;
  // The estimate is that of the native window, drawn shadow included; the
  // frame inside it is what gets centred.
  const ui::UiRect shadow = window.GetShadowPadding();
  const ui::ScreenRect frame = host->frame_bounds();
  const ui::UiSize outer = window.EstimateRootSize(
      ui::UiSize{frame.width + shadow.left + shadow.right, frame.height + shadow.top + shadow.bottom});
  const int width = outer.cx - shadow.left - shadow.right;
  const int height = outer.cy - shadow.top - shadow.bottom;
  host->SetFrameBounds(window.CenteredFrame(width, height));
}
