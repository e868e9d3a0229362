// The native side of a window, as the headless window core sees it.
//
// A ui::Window keeps the control tree, its routing references and the dirty
// region; everything that needs the window system goes through this
// interface, which the X11 host implements (tests use a fake). All calls come
// from the UI thread. The host outlives its attachment: it calls
// Window::SetHost(nullptr) before it goes away.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/weak_callback.h"
#include "ui/core/geometry.h"

namespace ui {

// kSizeNWSE: top-left / bottom-right corner; kSizeNESW: the other two.
enum class CursorType { kArrow, kHand, kIBeam, kSizeWE, kSizeNS, kSizeNWSE, kSizeNESW, kSizeAll };

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // A part of the client area must be repainted; the host schedules a paint
  // and then calls Window::Paint with a context of the client size.
  virtual void Invalidate(const UiRect& rect) = 0;
  virtual UiSize GetClientSize() const = 0;

  virtual void SetCursor(CursorType cursor) = 0;

  // Mouse capture (a pointer grab): while captured all mouse input goes to
  // the window that holds it.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool IsCaptured() const = 0;

  // Keyboard focus of the native window.
  virtual bool HasNativeFocus() const = 0;
  virtual void SetNativeFocus() = 0;

  // Tooltip near the mouse for the control occupying `control_rect`.
  virtual void ShowTooltip(const UiRect& control_rect, const std::wstring& text) = 0;
  virtual void HideTooltip() = 0;

  // Asks for Window::DestroyQueuedControls on a later turn of the UI loop,
  // after the current event has been handled completely.
  virtual void PostDestroyQueuedControls() = 0;

  // The native window id (an X11 Window), 0 when none exists.
  virtual uintptr_t GetNativeHandle() const = 0;

  // The desktop's clipboard (shared with other programs). A request's `done`
  // runs later, or at once, with the text, or nullopt when there is none.
  // A host without one keeps nothing.
  virtual void SetClipboardText(const std::wstring& text) { (void)text; }
  virtual void RequestClipboardText(std::function<void(std::optional<std::wstring>)> done) {
    done(std::nullopt);
  }

  // Runs `tick` on the UI thread every `interval_ms` until `flag` is
  // cancelled (replacing any timer the flag had). A host without a timer
  // service only cancels.
  virtual void StartTimer(vbase::WeakCallbackFlag& flag, std::function<void()> tick,
                          int interval_ms) {
    (void)tick;
    (void)interval_ms;
    flag.Cancel();
  }
};

}  // namespace ui
