// Routes a top-level window's pointer, keyboard and focus events (as its
// host translated them, ui/core/window_event.h) to the controls of a
// ui::Window.
//
// Mouse: the control under the pointer is the hover control (the old one gets
// "mouseleave" before the new one gets "mouseenter"); a button press makes the
// control under it the pressed control, which takes the keyboard focus
// (unless nofocus), captures the pointer and receives every move and the
// release; a double click sends the internal double-click event and then
// "doubleclick"; the wheel goes to the control under the pointer; the hover
// time without a move sends "mousehover" and shows the tooltip text.
// Keyboard: key presses go to the focus control as "keydown" with the key
// codes of ui/core/key_codes.h and the modifiers held (Tab moves the focus
// unless a rich edit wants it), the release to the control that got the
// press; the text a key types follows as one "char" event per character
// (none with Ctrl or Alt held). What the keys do is the control's business.
// Input method: the composition in progress is kept in the Window and its
// start, changes and end are sent to the focus control; the committed text
// arrives as typed text.
// Cancelling (focus loss while pressed, window closing) clears the pressed
// control before it is told, with a point outside every control, so a cancel
// can never click.
//
// Contract: UI thread only. The router and the delegate are owned by the
// window base; the Window must outlive the router. Control references are
// the Window's routing references, cleared by the Window when a control goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/geometry.h"
#include "ui/core/key_codes.h"
#include "ui/core/window_event.h"

namespace ui {

class Control;
class Window;

// What the router needs from outside the control tree.
class InputRouterDelegate {
 public:
  // (Re)starts the hover timer; the owner calls InputRouter::OnHoverTime
  // when it expires.
  virtual void StartHoverTimer() = 0;
  virtual void StopHoverTimer() = 0;

 protected:
  ~InputRouterDelegate() = default;
};

class InputRouter {
 public:
  static constexpr int kHoverTimeMs = 400;

  InputRouter(Window& window, InputRouterDelegate& delegate);
  InputRouter(const InputRouter&) = delete;
  InputRouter& operator=(const InputRouter&) = delete;

  // Pointer, key and focus events; other types are ignored.
  void Route(const WindowEvent& event);
  void OnHoverTime();
  // The controls moved under a still pointer: hover what is under it now.
  void RefreshHover();
  // The window takes no input for a while (a modal window or dialog over
  // it): "mouseleave" to the hover control and a cancel to the pressed one.
  void OnInputBlocked();
  // Before the window goes: as OnInputBlocked, and the focus cleared.
  void OnWindowClosing();

  // Moves the focus to the next (or previous) control that takes the
  // keyboard, wrapping around.
  void SetNextTabControl(bool forward);
  // The tab stops in tree order: visible, enabled buttons, check boxes and
  // rich edits that take the keyboard (rows of a list are chosen in it).
  std::vector<Control*> GetTabOrder() const;

 private:
  void OnMouseMove(UiPoint point, uint32_t modifiers);
  void UpdateHover(UiPoint point);
  void OnButtonPress(const WindowEvent& event);
  void OnButtonRelease(const WindowEvent& event);
  void OnWheel(const WindowEvent& event);
  void OnPointerLeft();
  void OnKeyPress(const WindowEvent& event);
  void OnKeyRelease(const WindowEvent& event);
  void OnComposition(const WindowEvent& event);
  void CancelPressed();

  Window& window_;
  InputRouterDelegate& delegate_;
  bool button_down_ = false;  // the pointer is captured for the pressed control
  bool pointer_inside_ = false;
  MouseButton pressed_button_ = MouseButton::kLeft;
};

}  // namespace ui
