// Window-system events in a neutral form, as a native window reports them to
// its listener, and the small value types of the X11 layer.
//
// Coordinates of pointer events are relative to the window's top-left corner
// (root_x/root_y: the screen). Events are delivered on the UI thread from
// Display::DispatchNativeEvents; a listener may destroy its window from
// inside the callback (nothing touches the window after the call).
#pragma once

#include <cstdint>
#include <string>

namespace platform::x11 {

// An X window id (0: none).
using WindowId = unsigned long;

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Rect&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

enum class PointerShape {
  kArrow,
  kHand,
  kIBeam,
  kSizeWE,    // left / right edge
  kSizeNS,    // top / bottom edge
  kSizeNWSE,  // top-left / bottom-right corner
  kSizeNESW,  // top-right / bottom-left corner
  kSizeAll,
};

// Edges and corners of a window being resized, in the order of the
// _NET_WM_MOVERESIZE directions.
enum class ResizeEdge {
  kTopLeft = 0,
  kTop = 1,
  kTopRight = 2,
  kRight = 3,
  kBottomRight = 4,
  kBottom = 5,
  kBottomLeft = 6,
  kLeft = 7,
};

enum class MouseButton { kNone, kLeft, kMiddle, kRight };

// Modifier keys and held buttons at the time of an event.
enum Modifier : uint32_t {
  kModifierShift = 1u << 0,
  kModifierControl = 1u << 1,
  kModifierAlt = 1u << 2,
  kModifierSuper = 1u << 3,
  kModifierLeftButton = 1u << 8,
  kModifierMiddleButton = 1u << 9,
  kModifierRightButton = 1u << 10,
};

enum class EventType {
  kExpose,         // rect: the area to repaint
  kConfigure,      // rect: new position (screen) and size
  kMap,            // the window became viewable
  kUnmap,
  kFocusIn,
  kFocusOut,
  kEnter,          // pointer entered (x, y)
  kLeave,          // pointer left
  kMotion,
  kButtonPress,    // button; double_click when it completes a double click
  kButtonRelease,
  kWheel,          // wheel_delta: +120 per notch away from the user, -120 towards
  kKeyPress,       // keysym, text (UTF-8 from the input method, may be empty)
  kKeyRelease,     // keysym
  // An input method's composition (preedit) shown by the program: it
  // starts, changes (text: all of it, UTF-8; composition_caret: the
  // insertion point in characters) and ends. Committed text arrives as a
  // kKeyPress with text.
  kCompositionStart,
  kComposition,
  kCompositionEnd,
  kCloseRequest,   // the window manager (or the user) asks the window to close
  kDestroyed,      // the native window is gone; the last event of a window
};

struct WindowEvent {
  EventType type = EventType::kExpose;
  Rect rect;
  int x = 0;
  int y = 0;
  int root_x = 0;
  int root_y = 0;
  uint32_t modifiers = 0;
  MouseButton button = MouseButton::kNone;
  bool double_click = false;
  int wheel_delta = 0;
  uint32_t keysym = 0;
  std::string text;
  int composition_caret = 0;
};

class WindowListener {
 public:
  virtual void OnWindowEvent(const WindowEvent& event) = 0;

 protected:
  ~WindowListener() = default;
};

}  // namespace platform::x11
