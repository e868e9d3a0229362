#include <gtest/gtest.h>

#include "platform/x11/native_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include "platform/x11/x_error_trap.h"
#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::Capture;
using testing::Hex;
using testing::PumpUntil;
using testing::RecordingListener;

class NativeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DISPLAY();
    display_ = testing::OpenDisplay();
    ASSERT_NE(display_, nullptr);
  }

  std::unique_ptr<NativeWindow> ShowWindow(WindowOptions options, RecordingListener& listener) {
    auto window = NativeWindow::Create(*display_, options, &listener);
    if (!window) return nullptr;
    window->Show(true);
    EXPECT_TRUE(PumpUntil(*display_, [&] { return listener.Count(EventType::kExpose) > 0; }));
    return window;
  }

  unsigned long ScreenPixel(int x, int y) { return testing::ScreenPixel(*display_, x, y); }

  std::unique_ptr<Display> display_;
};

TEST_F(NativeWindowTest, AppearsWithItsClassChineseTitleAndHints) {
  RecordingListener listener;
  WindowOptions options;
  options.title = "批量升级";
  options.class_name = "FleetSyncHintsTest";
  options.bounds = {40, 50, 320, 240};
  options.min_size = {300, 200};
  options.max_size = {800, 600};
  auto window = ShowWindow(options, listener);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(listener.Count(EventType::kMap) > 0);
  EXPECT_FALSE(window->translucent());  // no compositor on a bare Xvfb
  display_->Flush();

  const std::string props = Capture("xprop -id " + Hex(window->id()));
  for (const char* expected : {"_NET_WM_NAME(UTF8_STRING) = \"批量升级\"",
                               "WM_CLASS(STRING) = \"FleetSyncHintsTest\", \"FleetSyncHintsTest\"",
                               "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0, 0x0, 0x0", "WM_DELETE_WINDOW",
                               "program specified minimum size: 300 by 200",
                               "program specified maximum size: 800 by 600", "_NET_WM_WINDOW_TYPE_NORMAL"}) {
    EXPECT_NE(props.find(expected), std::string::npos) << expected << "\n" << props;
  }
  const std::string info = Capture("xwininfo -id " + Hex(window->id()));
  for (const char* expected : {"Absolute upper-left X:  40", "Width: 320", "Override Redirect State: no"}) {
    EXPECT_NE(info.find(expected), std::string::npos) << expected << "\n" << info;
  }
}

TEST_F(NativeWindowTest, ToastIsOverrideRedirectNotificationAndModalIsTransient) {
  RecordingListener owner_listener, toast_listener, modal_listener;
  auto owner = ShowWindow(testing::Options("owner", "FleetSyncOwner"),
                          owner_listener);
  ASSERT_NE(owner, nullptr);
  WindowOptions toast_options = testing::Options("toast", "FleetSyncToast");
  toast_options.notification = true;
  auto toast = ShowWindow(toast_options, toast_listener);
  ASSERT_NE(toast, nullptr);
  WindowOptions modal_options = testing::Options("modal", "FleetSyncModal");
  modal_options.transient_for = owner->id();
  modal_options.modal = true;
  auto modal = ShowWindow(modal_options, modal_listener);
  ASSERT_NE(modal, nullptr);
  display_->Flush();

  EXPECT_NE(Capture("xwininfo -id " + Hex(toast->id())).find("Override Redirect State: yes"),
            std::string::npos);
  EXPECT_NE(Capture("xprop -id " + Hex(toast->id()) + " _NET_WM_WINDOW_TYPE")
                .find("_NET_WM_WINDOW_TYPE_NOTIFICATION"),
            std::string::npos);
  const std::string modal_props = Capture("xprop -id " + Hex(modal->id()));
  EXPECT_NE(modal_props.find("WM_TRANSIENT_FOR(WINDOW): window id # " + Hex(owner->id())),
            std::string::npos)
      << modal_props;
  EXPECT_NE(modal_props.find("_NET_WM_STATE(ATOM) = _NET_WM_STATE_MODAL"), std::string::npos);
}

TEST_F(NativeWindowTest, OnlyTheDirtyPartOfAPresentIsCopied) {
  RecordingListener listener;
  WindowOptions options = testing::Options("present", "FleetSyncPresent");
  options.bounds = {200, 150, 120, 80};
  auto window = ShowWindow(options, listener);
  ASSERT_NE(window, nullptr);

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 80);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_rectangle(cr, 10, 20, 30, 15);
  cairo_fill(cr);
  // A whole present reaching the screen: every window test's screen pixels.
  window->Present(surface, {0, 0, 120, 80});

  // Repaint everything green but present only the right half.
  cairo_set_source_rgb(cr, 0, 1, 0);
  cairo_paint(cr);
  window->Present(surface, {60, 0, 60, 80});
  // A dirty rectangle reaching outside the surface is clipped, not refused.
  window->Present(surface, {110, 70, 500, 500});
  XSync(display_->xdisplay(), False);
  EXPECT_EQ(ScreenPixel(200 + 10, 150 + 20), 0xFF0000ul);
  EXPECT_EQ(ScreenPixel(200 + 59, 150 + 5), 0x0000FFul);
  EXPECT_EQ(ScreenPixel(200 + 60, 150 + 5), 0x00FF00ul);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

TEST_F(NativeWindowTest, CloseRequestArrivesFromWmDeleteWindow) {
  RecordingListener listener;
  auto window = ShowWindow(testing::Options("close", "FleetSyncClose"),
                           listener);
  ASSERT_NE(window, nullptr);

  testing::SendWmDelete(window->id());
  EXPECT_TRUE(PumpUntil(*display_, [&] { return listener.Count(EventType::kCloseRequest) == 1; }));
  EXPECT_TRUE(window->alive());  // closing is the owner's decision

  // The owner of a modal window is disabled and stays open.
  window->SetEnabled(false);
  testing::SendWmDelete(window->id());
  testing::PumpFor(*display_, std::chrono::milliseconds(200));
  EXPECT_EQ(listener.Count(EventType::kCloseRequest), 1);
}

TEST_F(NativeWindowTest, DestructionIsAsynchronousAndRequestsOnAGoneWindowAreHarmless) {
  RecordingListener listener;
  auto window = ShowWindow(testing::Options("destroy", "FleetSyncDestroy"),
                           listener);
  ASSERT_NE(window, nullptr);
  window->Destroy();
  EXPECT_TRUE(window->alive());
  ASSERT_TRUE(PumpUntil(*display_, [&] { return listener.Count(EventType::kDestroyed) == 1; }));
  EXPECT_FALSE(window->alive());
  EXPECT_EQ(listener.events.back().type, EventType::kDestroyed);
  window->Move(5, 5);  // nothing happens
  window->Show(true);

  // Destroyed behind our back: requests until the notice arrives fail on the
  // server and are trapped instead of ending the process.
  RecordingListener second_listener;
  auto second = ShowWindow(testing::Options("gone", "FleetSyncGone"),
                           second_listener);
  ASSERT_NE(second, nullptr);
  ::Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  XDestroyWindow(other, second->id());
  XSync(other, False);
  XCloseDisplay(other);
  second->Move(1, 1);
  second->SetTitle("still here?");
  XSync(display_->xdisplay(), False);
  ASSERT_TRUE(PumpUntil(*display_, [&] { return second_listener.Count(EventType::kDestroyed) == 1; }));
  EXPECT_FALSE(second->alive());
}

TEST_F(NativeWindowTest, ListenerMayDestroyTheWindowFromItsCallback) {
  RecordingListener listener;
  auto window = ShowWindow(testing::Options("self", "FleetSyncSelf"), listener);
  ASSERT_NE(window, nullptr);
  const WindowId id = window->id();
  std::size_t events_at_destruction = 0;
  listener.on_event = [&](const WindowEvent& e) {
    if (e.type != EventType::kConfigure || !window) return;
    window.reset();
    events_at_destruction = listener.events.size();
  };
  window->Move(400, 300);
  ASSERT_TRUE(PumpUntil(*display_, [&] { return window == nullptr; }));
  testing::PumpFor(*display_, std::chrono::milliseconds(100));
  // Gone from the server at once, and nothing more is reported.
  ScopedXErrorTrap trap(display_->xdisplay());
  XWindowAttributes attributes;
  XGetWindowAttributes(display_->xdisplay(), id, &attributes);
  EXPECT_EQ(trap.Sync(), BadWindow);
  EXPECT_EQ(listener.events.size(), events_at_destruction);
}

TEST_F(NativeWindowTest, ErrorTrapReportsAFailedRequestRacesStayQuietOthersArePrinted) {
  ::Display* x = display_->xdisplay();
  {
    ScopedXErrorTrap trap(x);
    XMapWindow(x, 0x7FFFFFF0);  // no such window
    EXPECT_EQ(trap.Sync(), BadWindow);
  }
  // Focus asked for before a window manager mapped the frame: BadMatch.
  const ::Window unmapped = XCreateSimpleWindow(x, display_->root(), 0, 0, 10, 10, 0, 0, 0);
  ::testing::internal::CaptureStderr();
  XSetInputFocus(x, unmapped, RevertToParent, CurrentTime);
  XSync(x, False);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ::testing::internal::CaptureStderr();
  XResizeWindow(x, unmapped, 0, 0);  // BadValue: a fault of ours
  XSync(x, False);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("X error"), std::string::npos);
  XDestroyWindow(x, unmapped);
}

TEST_F(NativeWindowTest, WorkAreaComesFromTheRootOrTheScreen) {
  const Size screen = display_->GetScreenSize();
  ::Display* dpy = display_->xdisplay();
  const Atom workarea = display_->GetAtom("_NET_WORKAREA");
  XDeleteProperty(dpy, display_->root(), workarea);
  EXPECT_EQ(display_->GetWorkArea(), (Rect{0, 0, screen.width, screen.height}));

  const long areas[8] = {0, 0, 1, 1, 0, 30, screen.width, screen.height - 30};
  const long desktop = 1;
  XChangeProperty(dpy, display_->root(), workarea, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(areas), 8);
  XChangeProperty(dpy, display_->root(), display_->GetAtom("_NET_CURRENT_DESKTOP"), XA_CARDINAL,
                  32, PropModeReplace, reinterpret_cast<const unsigned char*>(&desktop), 1);
  EXPECT_EQ(display_->GetWorkArea(), (Rect{0, 30, screen.width, screen.height - 30}));
  XDeleteProperty(dpy, display_->root(), workarea);
  XDeleteProperty(dpy, display_->root(), display_->GetAtom("_NET_CURRENT_DESKTOP"));
  XSync(dpy, False);
}

}  // namespace
}  // namespace platform::x11
