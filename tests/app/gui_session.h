// Test support for the application's windows under Xvfb: a display, the UI
// message loop registered as thread 0 with its timers, the theme, a plain
// owner window, xdotool driving the pointer and keyboard while the loop runs,
// and look-ups of top-level windows by WM_CLASS.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "base/message_loop.h"
#include "base/thread_registry.h"
#include "base/ui_message_loop.h"
#include "platform/x11/x11_display.h"
#include "ui/host/x11_window_host.h"
#include "tests/platform/x11/x11_test_support.h"
#include "tests/support/run_loop_until.h"
#include "ui/animation/ui_timers.h"
#include "ui/window/window_impl_base.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace fleetsync_test {

// A plain shown window that the windows under test are owned by.
class OwnerWindow : public ui::WindowImplBase {
 public:
  explicit OwnerWindow(bool* gone) : gone_(gone) {}

 protected:
  std::wstring GetWindowClassName() const override { return L"fleetsync-test-owner"; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override {
    return L"<Window size=\"900,640\"><VBox bkcolor=\"bk_wnd_lightcolor\"/></Window>";
  }
  void OnFinalMessage() override {
    *gone_ = true;
    ui::WindowImplBase::OnFinalMessage();
  }

 private:
  bool* gone_;
};

struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Pixels whose channels all lie within [low, high].
  int CountBetween(int low, int high) const {
    int n = 0;
    for (uint32_t p : pixels) {
      bool inside = true;
      for (int shift : {16, 8, 0}) {
        const int c = static_cast<int>((p >> shift) & 0xFF);
        if (c < low || c > high) inside = false;
      }
      n += inside;
    }
    return n;
  }
};

class GuiSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "DISPLAY is not set";
    display_ = platform::x11::testing::OpenDisplay();
    ASSERT_NE(display_, nullptr);
    windows_ = std::make_unique<ui::X11WindowSystem>(*display_);
    ASSERT_TRUE(ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize()));
    ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
    loop_.SetNativeEventSource(display_.get());
    ASSERT_TRUE(vbase::ThreadRegistry::RegisterThread(0));
    registered_ = true;
    timers_ = std::make_unique<ui::UiTimerScope>();
    // The pointer starts away from where the windows appear.
    Xdotool("mousemove 5 5");
  }
  void TearDown() override {
    if (!display_) return;
    // Toasts left open close by themselves (and are deleted) within their
    // two seconds; nothing may outlive the session.
    RunUntil([this] { return MappedWindowsOfClass("Toast").empty(); }, 3000);
    if (owner_ && !owner_gone_) delete owner_;
    RunFor(50);
    timers_.reset();
    if (registered_) vbase::ThreadRegistry::UnregisterThread();
    loop_.SetNativeEventSource(nullptr);
    ui::Shutdown();
    ui::ResourcePackage::Close();
  }

  void OpenOwner() {
    owner_ = new OwnerWindow(&owner_gone_);
    ASSERT_TRUE(owner_->Create(*windows_, nullptr, L"主窗口", ui::UiRect{150, 80, 1050, 720}));
    owner_->ShowWindow(true, true);
    ASSERT_TRUE(RunUntil([this] { return NativeWindowOf(owner_->host())->mapped(); }));
    platform::x11::testing::DispatchEventsCausedSoFar(*display_, loop_);  // painted
  }

  // Runs the loop until `done` holds or `limit_ms` passes.
  bool RunUntil(const std::function<bool()>& done, int limit_ms = 5000) {
    return fleetsync_test::RunLoopUntil(loop_, done, limit_ms);
  }
  void RunFor(int ms) { fleetsync_test::RunLoopFor(loop_, ms); }

  // Runs xdotool (by its full path: tests may empty PATH) while the loop
  // keeps handling events; true on exit 0.
  bool Xdotool(const std::string& args) {
    const std::string command = "/usr/bin/xdotool " + args + " >/dev/null 2>&1";
    std::future<int> done =
        std::async(std::launch::async, [command] { return std::system(command.c_str()); });
    RunUntil([&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
             10000);
    const bool ok = done.get() == 0;
    platform::x11::testing::DispatchEventsCausedSoFar(*display_, loop_);
    return ok;
  }

  // Screen position of a control's centre (plus an offset).
  static std::string ScreenPointOf(ui::WindowImplBase& window, ui::Control* control, int dx = 0,
                                   int dy = 0) {
    const platform::x11::Rect bounds = NativeWindowOf(window.host())->bounds();
    const ui::UiRect r = control->GetPos();
    return std::to_string(bounds.x + (r.left + r.right) / 2 + dx) + " " +
           std::to_string(bounds.y + (r.top + r.bottom) / 2 + dy);
  }
  bool ClickOn(ui::WindowImplBase& window, ui::Control* control) {
    return Xdotool("mousemove " + ScreenPointOf(window, control) + " click 1");
  }

  // Mapped top-level windows whose WM_CLASS class is `wm_class`, bottom first.
  std::vector<Window> MappedWindowsOfClass(const std::string& wm_class) const {
    std::vector<Window> found;
    ::Display* x = display_->xdisplay();
    Window root_return = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, display_->root(), &root_return, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(x, children[i], &hint)) continue;
      const bool match = hint.res_class && wm_class == hint.res_class;
      XFree(hint.res_name);
      XFree(hint.res_class);
      XWindowAttributes attributes{};
      if (match && XGetWindowAttributes(x, children[i], &attributes) &&
          attributes.map_state == IsViewable) {
        found.push_back(children[i]);
      }
    }
    if (children) XFree(children);
    return found;
  }
  // _NET_WM_NAME (UTF-8) of a window.
  std::string WindowTitle(Window window) const {
    ::Display* x = display_->xdisplay();
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(x, window, display_->GetAtom("_NET_WM_NAME"), 0, 4096, False,
                           display_->GetAtom("UTF8_STRING"), &type, &format, &items, &after,
                           &data) == Success &&
        data) {
      title.assign(reinterpret_cast<char*>(data), items);
      XFree(data);
    }
    return title;
  }
  std::vector<std::string> ToastTitles() const {
    std::vector<std::string> titles;
    for (Window w : MappedWindowsOfClass("Toast")) titles.push_back(WindowTitle(w));
    return titles;
  }
  // Screen geometry of a top-level window (no window manager: no frame).
  platform::x11::Rect Geometry(Window window) const {
    XWindowAttributes a{};
    XGetWindowAttributes(display_->xdisplay(), window, &a);
    return platform::x11::Rect{a.x, a.y, a.width, a.height};
  }
  // What the screen shows in `area`.
  ScreenImage Capture(const platform::x11::Rect& area) const {
    ScreenImage image;
    XImage* x = XGetImage(display_->xdisplay(), display_->root(), area.x, area.y,
                          static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                          AllPlanes, ZPixmap);
    if (!x) return image;
    image.width = area.width;
    image.height = area.height;
    image.pixels.reserve(static_cast<size_t>(area.width) * area.height);
    for (int y = 0; y < area.height; ++y) {
      for (int i = 0; i < area.width; ++i) image.pixels.push_back(XGetPixel(x, i, y) & 0xFFFFFF);
    }
    XDestroyImage(x);
    return image;
  }

  vbase::UIMessageLoop loop_;
  std::unique_ptr<platform::x11::Display> display_;
  std::unique_ptr<ui::X11WindowSystem> windows_;  // windows on display_
  std::unique_ptr<ui::UiTimerScope> timers_;
  bool registered_ = false;
  OwnerWindow* owner_ = nullptr;
  bool owner_gone_ = false;
};

}  // namespace fleetsync_test
