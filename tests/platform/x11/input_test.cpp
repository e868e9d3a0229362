// Real input through the X server, produced with xdotool (XTEST).
#include <gtest/gtest.h>

#include <cstdlib>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/x11/native_window.h"
#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::PumpUntil;
using testing::RecordingListener;
using testing::RunServing;

class InputTest : public ::testing::Test {
 protected:
  static constexpr Rect kBounds{100, 100, 200, 150};

  void SetUp() override {
    SKIP_WITHOUT_DISPLAY();
    display_ = testing::OpenDisplay();
    ASSERT_NE(display_, nullptr);
    // Start outside the window so the first move into it is an enter.
    ASSERT_TRUE(Xdotool({"mousemove", "5", "5"}));
    WindowOptions options = testing::Options("input", "FleetSyncInput");
    options.bounds = kBounds;
    options.min_size = {150, 100};
    window_ = NativeWindow::Create(*display_, options, &listener_);
    ASSERT_NE(window_, nullptr);
    window_->Show(true);
    ASSERT_TRUE(PumpUntil(*display_, [&] { return listener_.Count(EventType::kFocusIn) > 0; }));
    listener_.events.clear();
  }

  bool Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return RunServing(*display_, std::move(args));
  }

  std::unique_ptr<Display> display_;
  RecordingListener listener_;
  std::unique_ptr<NativeWindow> window_;
};

TEST_F(InputTest, PointerMovesClicksAndCrossingsArriveInWindowCoordinates) {
  ASSERT_TRUE(Xdotool({"mousemove", "130", "140"}));
  ASSERT_TRUE(Xdotool({"click", "1"}));
  ASSERT_TRUE(PumpUntil(*display_, [&] { return listener_.Count(EventType::kButtonRelease) == 1; }));
  ASSERT_NE(listener_.Last(EventType::kEnter), nullptr);
  const WindowEvent* motion = listener_.Last(EventType::kMotion);
  ASSERT_NE(motion, nullptr);
  EXPECT_EQ(motion->x, 30);
  EXPECT_EQ(motion->y, 40);
  const WindowEvent* press = listener_.Last(EventType::kButtonPress);
  ASSERT_NE(press, nullptr);
  EXPECT_EQ(press->button, MouseButton::kLeft);
  EXPECT_EQ(press->x, 30);
  EXPECT_EQ(press->y, 40);
  EXPECT_EQ(press->root_x, 130);
  EXPECT_FALSE(press->double_click);
  // While pressed the left button shows in the release's modifiers.
  EXPECT_TRUE(listener_.Last(EventType::kButtonRelease)->modifiers & kModifierLeftButton);

  ASSERT_TRUE(Xdotool({"click", "3"}));
  EXPECT_EQ(listener_.Last(EventType::kButtonPress)->button, MouseButton::kRight);

  ASSERT_TRUE(Xdotool({"mousemove", "5", "5"}));
  EXPECT_TRUE(PumpUntil(*display_, [&] { return listener_.Count(EventType::kLeave) == 1; }));
}

TEST_F(InputTest, DoubleClickIsSynthesisedFromTwoQuickPresses) {
  ASSERT_TRUE(Xdotool({"mousemove", "150", "150"}));
  ASSERT_TRUE(Xdotool({"click", "--repeat", "2", "--delay", "60", "1"}));
  ASSERT_TRUE(PumpUntil(*display_, [&] { return listener_.Count(EventType::kButtonPress) == 2; }));
  const auto presses = listener_.Of(EventType::kButtonPress);
  EXPECT_FALSE(presses[0].double_click);
  EXPECT_TRUE(presses[1].double_click);

  // Slow clicks stay two clicks, even when a busy UI thread handles them back to
  // back: the interval is the server's, between the presses.
  listener_.events.clear();
  ASSERT_EQ(std::system("xdotool click --repeat 2 --delay 700 1"), 0);  // nothing served meanwhile
  ASSERT_TRUE(PumpUntil(*display_, [&] { return listener_.Count(EventType::kButtonPress) == 2; }));
  EXPECT_FALSE(listener_.Of(EventType::kButtonPress)[1].double_click);
}

TEST_F(InputTest, WheelButtonsBecomeWheelDeltas) {
  ASSERT_TRUE(Xdotool({"mousemove", "150", "150"}));
  ASSERT_TRUE(Xdotool({"click", "4"}));
  ASSERT_TRUE(Xdotool({"click", "5"}));
  ASSERT_TRUE(PumpUntil(*display_, [&] { return listener_.Count(EventType::kWheel) == 2; }));
  const auto wheel = listener_.Of(EventType::kWheel);
  EXPECT_EQ(wheel[0].wheel_delta, 120);
  EXPECT_EQ(wheel[1].wheel_delta, -120);
  EXPECT_EQ(listener_.Count(EventType::kButtonPress), 0);
  EXPECT_EQ(listener_.Count(EventType::kButtonRelease), 0);
}

TEST_F(InputTest, TypedTextArrivesAsUtf8IncludingChineseOnRemappedKeycodes) {
  ASSERT_TRUE(Xdotool({"type", "--delay", "100", "aB1"}));
  ASSERT_TRUE(PumpUntil(*display_, [&] { return listener_.TypedText() == "aB1"; }))
      << listener_.TypedText();

  listener_.events.clear();
  ASSERT_TRUE(Xdotool({"type", "--delay", "150", "批量升级"}));
  EXPECT_TRUE(PumpUntil(*display_, [&] { return listener_.TypedText() == "批量升级"; }))
      << listener_.TypedText();

  listener_.events.clear();
  ASSERT_TRUE(Xdotool({"key", "Tab", "Escape"}));
  const auto keys = listener_.Of(EventType::kKeyPress);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].keysym, static_cast<uint32_t>(XK_Tab));
  EXPECT_EQ(keys[1].keysym, static_cast<uint32_t>(XK_Escape));
  const auto releases = listener_.Of(EventType::kKeyRelease);
  ASSERT_EQ(releases.size(), 2u);
  EXPECT_EQ(releases[0].keysym, static_cast<uint32_t>(XK_Tab));
}

TEST_F(InputTest, DisabledWindowDropsPointerAndKeys) {
  window_->SetEnabled(false);
  ASSERT_TRUE(Xdotool({"mousemove", "150", "150", "click", "1"}));
  ASSERT_TRUE(Xdotool({"type", "x"}));
  EXPECT_EQ(listener_.Count(EventType::kButtonPress), 0);
  EXPECT_EQ(listener_.Count(EventType::kKeyPress), 0);
  window_->SetEnabled(true);
  ASSERT_TRUE(Xdotool({"click", "1"}));
  EXPECT_EQ(listener_.Count(EventType::kButtonPress), 1);
}

TEST_F(InputTest, WithoutAWindowManagerTheWindowDragsAndResizesItself) {
  ASSERT_FALSE(display_->WindowManagerSupports("_NET_WM_MOVERESIZE"));
  listener_.on_event = [&](const WindowEvent& e) {
    if (e.type == EventType::kButtonPress) window_->BeginMoveDrag(e.root_x, e.root_y, e.button);
  };
  ASSERT_TRUE(Xdotool({"mousemove", "150", "110", "mousedown", "1"}));
  EXPECT_TRUE(window_->dragging());
  listener_.events.clear();
  ASSERT_TRUE(Xdotool({"mousemove", "190", "140"}));
  ASSERT_TRUE(PumpUntil(*display_, [&] { return window_->bounds().x == 140; }));
  EXPECT_EQ(window_->bounds(), (Rect{140, 130, 200, 150}));
  EXPECT_EQ(listener_.Count(EventType::kMotion), 0);  // consumed by the drag
  ASSERT_TRUE(Xdotool({"mouseup", "1"}));
  EXPECT_FALSE(window_->dragging());
  EXPECT_FALSE(window_->pointer_grabbed());
  EXPECT_EQ(listener_.Count(EventType::kButtonRelease), 0);

  // The bottom-right corner, not below the minimum size.
  listener_.on_event = [&](const WindowEvent& e) {
    if (e.type == EventType::kButtonPress)
      window_->BeginResizeDrag(ResizeEdge::kBottomRight, e.root_x, e.root_y, e.button);
  };
  ASSERT_TRUE(Xdotool({"mousemove", "335", "275", "mousedown", "1"}));
  ASSERT_TRUE(Xdotool({"mousemove", "235", "255"}));
  ASSERT_TRUE(PumpUntil(*display_, [&] { return window_->bounds().width == 150; }));
  EXPECT_EQ(window_->bounds(), (Rect{140, 130, 150, 130}));
  ASSERT_TRUE(Xdotool({"mouseup", "1"}));
}

TEST_F(InputTest, WithAWindowManagerTheDragIsHandedToIt) {
  // A stand-in window manager: announces _NET_WM_MOVERESIZE and takes the
  // root's redirected client messages.
  ::Display* wm = XOpenDisplay(nullptr);
  ASSERT_NE(wm, nullptr);
  const Window root = DefaultRootWindow(wm);
  const Atom moveresize = XInternAtom(wm, "_NET_WM_MOVERESIZE", False);
  XChangeProperty(wm, root, XInternAtom(wm, "_NET_SUPPORTED", False), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&moveresize), 1);
  XSelectInput(wm, root, SubstructureRedirectMask);
  XSync(wm, False);

  ASSERT_TRUE(window_->GrabPointer());
  window_->BeginResizeDrag(ResizeEdge::kLeft, 101, 150, MouseButton::kLeft);
  EXPECT_FALSE(window_->pointer_grabbed());  // released for the window manager
  EXPECT_FALSE(window_->dragging());
  display_->Flush();

  bool received = false;
  XEvent event;
  for (int i = 0; i < 200 && !received; ++i) {
    while (XPending(wm)) {
      XNextEvent(wm, &event);
      if (event.type == ClientMessage && event.xclient.message_type == moveresize) {
        received = true;
        break;
      }
    }
    if (!received) usleep(10000);
  }
  ASSERT_TRUE(received);
  EXPECT_EQ(event.xclient.window, window_->id());
  EXPECT_EQ(event.xclient.data.l[0], 101);
  EXPECT_EQ(event.xclient.data.l[1], 150);
  EXPECT_EQ(event.xclient.data.l[2], 7);  // _NET_WM_MOVERESIZE_SIZE_LEFT
  EXPECT_EQ(event.xclient.data.l[3], 1);
  XDeleteProperty(wm, root, XInternAtom(wm, "_NET_SUPPORTED", False));
  XCloseDisplay(wm);
}

}  // namespace
}  // namespace platform::x11
