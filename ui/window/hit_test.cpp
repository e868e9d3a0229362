#include "ui/window/hit_test.h"

#include "ui/controls/button.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scrollable_box.h"
#include "ui/controls/window.h"

namespace ui {
namespace {

// Controls that keep their clicks inside the caption band.
bool TakesCaptionClicks(Control* control) {
  if (!control) return false;
  return dynamic_cast<Button*>(control) || dynamic_cast<ButtonBox*>(control) ||
         dynamic_cast<RichEdit*>(control) || control->GetType() == L"Combo";
}

HitArea SizeArea(const UiRect& area, const UiRect& box, UiPoint p) {
  const bool top = p.y < area.top + box.top;
  const bool bottom = p.y >= area.bottom - box.bottom;
  const bool left = p.x < area.left + box.left;
  const bool right = p.x >= area.right - box.right;
  if (top) return left ? HitArea::kTopLeft : right ? HitArea::kTopRight : HitArea::kTop;
  if (bottom) return left ? HitArea::kBottomLeft : right ? HitArea::kBottomRight : HitArea::kBottom;
  if (left) return HitArea::kLeft;
  if (right) return HitArea::kRight;
  return HitArea::kClient;
}

}  // namespace

HitArea HitTestWindow(const Window& window, UiPoint point, const HitTestFrame& frame) {
  UiRect area{0, 0, frame.client.cx, frame.client.cy};
  area.Deflate(frame.shadow_padding);
  if (!area.Contains(point)) return HitArea::kClient;  // the shadow itself
  if (!frame.maximized) {
    const HitArea edge = SizeArea(area, window.GetSizeBox(), point);
    // A scroll bar along the window's side keeps its presses: the size box
    // stays above and below it.
    const bool side = edge == HitArea::kLeft || edge == HitArea::kRight;
    if (side && dynamic_cast<ScrollableBox*>(window.FindControl(point))) return HitArea::kClient;
    if (edge != HitArea::kClient) return edge;
  }
  const UiRect& caption = window.GetCaptionRect();
  const UiRect band{area.left + caption.left, area.top + caption.top, area.right - caption.right,
                    area.top + caption.bottom};
  if (band.Contains(point)) {
    return TakesCaptionClicks(window.FindControl(point)) ? HitArea::kClient : HitArea::kCaption;
  }
  return HitArea::kClient;
}

}  // namespace ui
