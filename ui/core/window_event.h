// Input of a top-level window in the framework's own terms: its host
// translates what the window system reports (pointer, keys, focus, input
// method) into these, so the window base and the input router never see a
// native event. Coordinates: `point` in client pixels, `screen_point` on the
// screen.
#pragma once

#include <cstdint>
#include <string>

#include "ui/core/geometry.h"

namespace ui {

enum class WindowEventType {
  kMap,              // the window became viewable
  kFocusIn,
  kFocusOut,
  kEnter,            // the pointer entered at `point`
  kLeave,            // the pointer left
  kMotion,
  kButtonPress,      // `button`; `double_click` when it completes a double click
  kButtonRelease,
  kWheel,            // wheel_delta: +120 per notch away from the user, -120 towards
  kKeyPress,         // key_code (0: none), text (UTF-8 the key typed, may be empty)
  kKeyRelease,       // key_code
  // An input method's composition shown by the program: it starts, changes
  // (text: all of it, UTF-8; composition_caret: the insertion point in
  // characters) and ends. Committed text arrives as a kKeyPress with text.
  kCompositionStart,
  kComposition,
  kCompositionEnd,
};

enum class MouseButton { kNone, kLeft, kMiddle, kRight };

struct WindowEvent {
  WindowEventType type = WindowEventType::kMotion;
  UiPoint point;
  UiPoint screen_point;
  uint32_t modifiers = 0;  // KeyModifier flags (ui/core/key_codes.h)
  MouseButton button = MouseButton::kNone;
  bool double_click = false;
  int wheel_delta = 0;
  wchar_t key_code = 0;    // ui/core/key_codes.h
  std::string text;
  int composition_caret = 0;
};

}  // namespace ui
