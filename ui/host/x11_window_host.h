// The X11 host of a ui::Window: binds the headless window core to a native
// top-level window.
//
// What it does: paints the dirty part of the control tree into its back
// buffer (a RenderContext of the client size) and presents it, on a later
// turn of the UI loop after an invalidation or an expose (several coalesce
// into one paint); arranges the root box to the client size on every resize;
// resizes the native window to the root's estimate when the root sizes
// itself to its content (clamped to the layout's min/max info); turns a close request into the close handler (by default it destroys the
// native window); destroys queued controls on a later loop turn.
//
// Contract: UI thread, with the thread's vbase message loop running the
// Display as its native event source. The host and the ui::Window are owned
// by the caller; the Window must outlive the host. The host attaches itself
// with Window::SetHost and detaches when the native window is destroyed or
// the host goes, whichever comes first. On an opaque window (no compositor)
// transparent pixels are drawn over the options' background colour.
// Tooltips show in a small window of their own below the control.
// Pointer, key and focus events go to the input handler translated into
// the framework's WindowEvent (key symbols into ui/core/key_codes.h); the
// window base routes them to controls and does the caption and size-box hit
// tests.
//
// Shadow and round corners: a translucent window with an attached shadow is
// the frame (the layout's size) plus the shadow corner on every side, drawn
// with the window's shadow image; clicks on the shadow fall through to what
// lies below (input shape). An opaque window draws no shadow (its margin
// would show black without a compositor) and, with a round corner set, is
// cut to its outline (bounding shape) on every size change. Positions and
// sizes given to Create and SetFrameBounds are those of the frame.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/weak_callback.h"
#include "platform/x11/native_window.h"
#include "platform/x11/x11_display.h"
#include "ui/controls/window.h"
#include "ui/core/window_system.h"
#include "ui/render/render_context.h"

namespace ui {

class TooltipWindow;

// The framework's key code of an X keysym (letters as upper case), 0 when
// the key has none.
wchar_t KeysymToKeyCode(uint32_t keysym);

class X11WindowHost final : public TopLevelHost,
                            public vbase::SupportWeakCallback,
                            private platform::x11::WindowListener {
 public:
  // Creates the native window (not shown) for a frame at the options'
  // bounds. A window whose layout gives an initial size uses it instead of
  // the options' size. Null on failure.
  static std::unique_ptr<X11WindowHost> Create(platform::x11::Display& display, Window& window,
                                               const WindowOptions& options);
  ~X11WindowHost() override;

  platform::x11::NativeWindow& native_window() { return *native_; }

  // The drawn shadow around the frame; zero when none is drawn.
  UiRect shadow_padding() const { return window_.GetShadowPadding(); }

  // Paints and presents the dirty part now.
  void PaintNow();
  bool paint_pending() const { return paint_pending_; }

  // The text of the shown tooltip, empty while none is shown.
  const std::wstring& tooltip_text() const { return tooltip_text_; }

  // TopLevelHost.
  ScreenRect frame_bounds() const override;
  void SetFrameBounds(const ScreenRect& frame) override;
  void SetShadowHidden(bool hidden) override;
  bool translucent() const override { return native_->translucent(); }
  bool alive() const override { return native_->alive(); }
  bool mapped() const override { return native_->mapped(); }
  void Show(bool take_focus) override { native_->Show(take_focus); }
  void Hide() override { native_->Hide(); }
  void Minimize() override { native_->Iconify(); }
  void SetInputEnabled(bool enabled) override { native_->SetEnabled(enabled); }
  bool input_enabled() const override { return native_->enabled(); }
  void SetOwner(const TopLevelHost& owner, bool modal) override;
  void SetIcon(const std::vector<IconPicture>& pictures) override;
  void BeginMoveDrag(UiPoint screen_point) override;
  void BeginResizeDrag(ResizeEdge edge, UiPoint screen_point) override;
  void Destroy() override { native_->Destroy(); }
  void SetCloseRequestHandler(std::function<void()> handler) override { on_close_ = std::move(handler); }
  void SetDestroyedHandler(std::function<void()> handler) override { on_destroyed_ = std::move(handler); }
  void SetInputHandler(std::function<void(const WindowEvent&)> handler) override {
    on_input_ = std::move(handler);
  }

  // WindowHost.
  void Invalidate(const UiRect& rect) override;
  UiSize GetClientSize() const override;
  void SetCursor(CursorType cursor) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  bool IsCaptured() const override;
  bool HasNativeFocus() const override;
  void SetNativeFocus() override;
  void ShowTooltip(const UiRect& control_rect, const std::wstring& text) override;
  void HideTooltip() override;
  void PostDestroyQueuedControls() override;
  uintptr_t GetNativeHandle() const override;
  void SetClipboardText(const std::wstring& text) override;
  void RequestClipboardText(std::function<void(std::optional<std::wstring>)> done) override;
  void StartTimer(vbase::WeakCallbackFlag& flag, std::function<void()> tick,
                  int interval_ms) override;

 private:
  X11WindowHost(platform::x11::Display& display, Window& window, unsigned long opaque_background);
  void OnWindowEvent(const platform::x11::WindowEvent& event) override;
  void OnResized(int width, int height);
  void PaintAndPresent(const UiRect& dirty);
  void ApplySizeLimits();
  void UpdateShape(int width, int height);
  void Detach();

  platform::x11::Display& display_;
  Window& window_;
  std::unique_ptr<platform::x11::NativeWindow> native_;
  RenderContext back_buffer_{1, 1};
  unsigned long opaque_background_;
  bool paint_pending_ = false;
  bool destroy_pending_ = false;
  UiSize requested_size_;
  UiRect shadow_corner_;  // the padding while the shadow shows
  platform::x11::Size frame_min_size_;
  platform::x11::Size frame_max_size_;
  bool shaped_ = false;
  std::wstring tooltip_text_;
  std::unique_ptr<TooltipWindow> tooltip_;  // created on first use
  std::function<void()> on_close_;
  std::function<void()> on_destroyed_;
  std::function<void(const WindowEvent&)> on_input_;
};

// The X11 window system: top-level windows on one Display, which must
// outlive it and every window it made.
class X11WindowSystem final : public WindowSystem {
 public:
  explicit X11WindowSystem(platform::x11::Display& display) : display_(display) {}
  platform::x11::Display& display() { return display_; }

  std::unique_ptr<TopLevelHost> CreateHost(Window& window, const WindowOptions& options) override {
    return X11WindowHost::Create(display_, window, options);
  }
  ScreenRect GetWorkArea() override;
  ScreenRect GetWorkArea(const ScreenRect& window) override;

 private:
  platform::x11::Display& display_;
};

// The X11 host and window behind a window made by an X11WindowSystem; null
// for none.
X11WindowHost* X11HostOf(const TopLevelHost* host);
platform::x11::NativeWindow* NativeWindowOf(const TopLevelHost* host);

}  // namespace ui
