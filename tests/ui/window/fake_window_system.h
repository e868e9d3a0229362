// A window system without windows: the hosts it makes record what the window
// base asks of them, and the test plays the user (WindowEvent in, close
// requests, the native window's end). Two monitors side by side:
// 0..1280 x 0..800 (work area less a 32-pixel panel at the top) and
// 1280..2304 x 0..768.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/window.h"
#include "ui/core/window_system.h"

namespace ui::testing_support {

class FakeTopLevelHost : public FakeHostOf<TopLevelHost> {
 public:
  FakeTopLevelHost(Window& window, const WindowOptions& options) : window_(window), options(options) {
    frame = options.bounds;
    const UiSize init = window.GetInitSize();
    if (init.cx > 0 && init.cy > 0) frame = {frame.x, frame.y, init.cx, init.cy};
    client = {frame.width, frame.height};
    window.SetHost(this);
    window.ArrangeRoot(client);
  }
  ~FakeTopLevelHost() override {
    if (window_.GetHost() == this) window_.SetHost(nullptr);
  }

  ScreenRect frame_bounds() const override { return frame; }
  void SetFrameBounds(const ScreenRect& bounds) override {
    frame = bounds;
    client = {bounds.width, bounds.height};
    window_.ArrangeRoot(client);
  }
  void SetShadowHidden(bool hidden) override { shadow_hidden = hidden; }
  bool translucent() const override { return false; }
  bool alive() const override { return !destroy_requested; }
  bool mapped() const override { return shown; }
  void Show(bool take_focus) override {
    shown = true;
    native_focus = native_focus || take_focus;
  }
  void Hide() override { shown = false; }
  void Minimize() override {}
  void SetInputEnabled(bool enabled) override { input = enabled; }
  bool input_enabled() const override { return input; }
  void SetOwner(const TopLevelHost& host, bool is_modal) override {
    owner = &host;
    modal = is_modal;
  }
  void SetIcon(const std::vector<IconPicture>& pictures) override { icon = pictures; }
  void BeginMoveDrag(UiPoint screen_point) override { move_drag_from = screen_point; }
  void BeginResizeDrag(ResizeEdge, UiPoint) override {}
  void Destroy() override { destroy_requested = true; }
  void SetCloseRequestHandler(std::function<void()> handler) override { on_close = std::move(handler); }
  void SetDestroyedHandler(std::function<void()> handler) override { on_destroyed = std::move(handler); }
  void SetInputHandler(std::function<void(const WindowEvent&)> handler) override {
    on_input = std::move(handler);
  }

  // The user's input, as a native window's host would deliver it.
  void Send(WindowEvent event) {
    if (on_input) on_input(event);
  }
  // The native window is gone (after Destroy, or behind the program's back):
  // the last call; the window base may delete itself and this host.
  void FinishDestroy() {
    std::function<void()> handler = on_destroyed;
    if (handler) handler();
  }

  Window& window_;
  WindowOptions options;
  ScreenRect frame;
  bool shadow_hidden = false;
  bool shown = false;
  bool input = true;
  const TopLevelHost* owner = nullptr;
  bool modal = false;
  std::vector<IconPicture> icon;
  UiPoint move_drag_from{-1, -1};
  bool destroy_requested = false;
  std::function<void()> on_close;
  std::function<void()> on_destroyed;
  std::function<void(const WindowEvent&)> on_input;
};

class FakeWindowSystem : public WindowSystem {
 public:
  static constexpr ScreenRect kLeftWork{0, 32, 1280, 768};
  static constexpr ScreenRect kRightWork{1280, 0, 1024, 768};

  std::unique_ptr<TopLevelHost> CreateHost(Window& window, const WindowOptions& options) override {
    auto host = std::make_unique<FakeTopLevelHost>(window, options);
    last = host.get();
    return host;
  }
  ScreenRect GetWorkArea() override { return {0, 0, 2304, 800}; }
  ScreenRect GetWorkArea(const ScreenRect& window) override {
    return window.x + window.width / 2 < 1280 ? kLeftWork : kRightWork;
  }

  FakeTopLevelHost* last = nullptr;  // the host made last
};

// The fake host of a window made by a FakeWindowSystem.
inline FakeTopLevelHost& FakeHostIn(const TopLevelHost* host) {
  return *const_cast<FakeTopLevelHost*>(dynamic_cast<const FakeTopLevelHost*>(host));
}

}  // namespace ui::testing_support
