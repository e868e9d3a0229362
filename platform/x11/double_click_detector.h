// Synthesises double clicks from button presses, as the window system of the
// original platform does: a second press of the same button in the same
// window, soon enough and near enough to the first, is a double click; the
// press after a double click starts afresh.
//
// Press times are the server's stamps of the presses (milliseconds on the
// server's clock), so how late a press is handled does not count. Not
// thread-safe; UI thread.
#pragma once

#include <chrono>

#include "platform/x11/window_event.h"

namespace platform::x11 {

class DoubleClickDetector {
 public:
  static constexpr std::chrono::milliseconds kDefaultInterval{500};
  // The second press must lie within this many pixels of the first on each axis.
  static constexpr int kDefaultSlop = 2;

  // True when this press completes a double click.
  bool OnPress(WindowId window, MouseButton button, int x, int y, std::chrono::milliseconds when);
  // Another kind of input between the presses (a key) breaks the pair.
  void Reset() { has_first_ = false; }

 private:
  bool has_first_ = false;
  WindowId window_ = 0;
  MouseButton button_ = MouseButton::kNone;
  int x_ = 0;
  int y_ = 0;
  std::chrono::milliseconds when_{};
};

}  // namespace platform::x11
