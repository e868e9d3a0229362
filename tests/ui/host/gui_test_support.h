// What the GUI tests of the window host share: an X display served by the
// thread's UI loop (the test body runs the loop until a condition holds),
// screen pixels and xdotool run while the loop keeps serving events. The X11
// layer's test helpers (opening the display, child programs such as a
// compositor, command output) are reused.
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

#include "base/ui_message_loop.h"
#include "platform/x11/x11_display.h"
#include "ui/host/x11_window_host.h"
#include "tests/support/run_loop_until.h"
#include "tests/platform/x11/x11_test_support.h"
#include "ui/animation/ui_timers.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"
#include "ui/controls/control.h"
#include "ui/window/window_impl_base.h"

namespace ui::testing_support {

using platform::x11::testing::Capture;
using ChildProgram = platform::x11::testing::Child;

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "DISPLAY is not set";
    display_ = platform::x11::testing::OpenDisplay();
    ASSERT_NE(display_, nullptr);
    windows_ = std::make_unique<X11WindowSystem>(*display_);
    loop_.SetNativeEventSource(display_.get());
  }
  void TearDown() override {
    if (display_) loop_.SetNativeEventSource(nullptr);
  }

  // Starts a compositing manager (xcompmgr) and waits until it runs; skips
  // the test where the server has no 32-bit visual. It ends with the fixture,
  // after the test's windows.
  void StartCompositor() {
    XVisualInfo argb{};
    if (!XMatchVisualInfo(display_->xdisplay(), display_->screen(), 32, TrueColor, &argb))
      GTEST_SKIP() << "the server has no 32-bit visual";
    compositor_ = std::make_unique<ChildProgram>(std::vector<std::string>{"/usr/bin/xcompmgr"});
    ASSERT_TRUE(compositor_->started());
    ASSERT_TRUE(RunUntil([this] { return display_->HasCompositor(); }));
  }

  // Runs the loop until `done` holds or `limit_ms` passes.
  bool RunUntil(const std::function<bool()>& done, int limit_ms = 5000) {
    return fleetsync_test::RunLoopUntil(loop_, done, limit_ms);
  }
  void RunFor(int ms) { fleetsync_test::RunLoopFor(loop_, ms); }

  // RGB of a screen pixel as the server shows it.
  unsigned long ScreenPixel(int x, int y) { return platform::x11::testing::ScreenPixel(*display_, x, y); }

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
  // Screen position of a control's centre (plus an offset), for xdotool.
  static std::string ScreenPointOf(WindowImplBase& window, Control* control, int dx = 0, int dy = 0) {
    const platform::x11::Rect bounds = NativeWindowOf(window.host())->bounds();
    const UiRect r = control->GetPos();
    return std::to_string(bounds.x + (r.left + r.right) / 2 + dx) + " " +
           std::to_string(bounds.y + (r.top + r.bottom) / 2 + dy);
  }
  bool ClickOn(WindowImplBase& window, Control* control) {
    return Xdotool("mousemove " + ScreenPointOf(window, control) + " click 1");
  }

  vbase::UIMessageLoop loop_;
  std::unique_ptr<platform::x11::Display> display_;
  std::unique_ptr<X11WindowSystem> windows_;  // windows on display_
  std::unique_ptr<ChildProgram> compositor_;
};

// With the application's theme loaded and the UI timers running (fades,
// delayed closes).
class ThemedGuiTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (!display_) return;
    ASSERT_TRUE(ResourcePackage::Open(ThemeArchiveData(), ThemeArchiveSize()));
    Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
    timers_ = std::make_unique<UiTimerScope>();
  }
  // Derived fixtures destroy their windows first.
  void TearDown() override {
    if (!display_) return;
    timers_.reset();
    Shutdown();
    ResourcePackage::Close();
    GuiTest::TearDown();
  }

  std::unique_ptr<UiTimerScope> timers_;
};

}  // namespace ui::testing_support
