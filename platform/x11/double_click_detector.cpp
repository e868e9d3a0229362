#include "platform/x11/double_click_detector.h"

#include <cstdlib>

namespace platform::x11 {

bool DoubleClickDetector::OnPress(WindowId window, MouseButton button, int x, int y,
                                  std::chrono::milliseconds when) {
  const bool is_double = has_first_ && window == window_ && button == button_ &&
                         when >= when_ && when - when_ <= kDefaultInterval &&
                         std::abs(x - x_) <= kDefaultSlop && std::abs(y - y_) <= kDefaultSlop;
  if (is_double) {
    has_first_ = false;
    return true;
  }
  has_first_ = true;
  window_ = window;
  button_ = button;
  x_ = x;
  y_ = y;
  when_ = when;
  return false;
}

}  // namespace platform::x11
