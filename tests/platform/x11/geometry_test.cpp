#include <gtest/gtest.h>

#include "platform/x11/double_click_detector.h"
#include "platform/x11/drag_geometry.h"
#include "platform/x11/monitors.h"

namespace platform::x11 {
namespace {

using std::chrono::milliseconds;

// Soon and near is a double click and a third press starts afresh; too late,
// too far, another button or window, a key (Reset) or a clock gone back
// break the pair.
TEST(DoubleClickDetectorTest, OnlyASecondPressSoonAndNearIsADoubleClick) {
  DoubleClickDetector detector;
  const milliseconds t0{0};
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 10, 10, t0));
  EXPECT_TRUE(detector.OnPress(1, MouseButton::kLeft, 12, 8, t0 + milliseconds(200)));
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 12, 8, t0 + milliseconds(300)));
  EXPECT_TRUE(detector.OnPress(1, MouseButton::kLeft, 12, 8, t0 + milliseconds(800)));

  const milliseconds t1{2000};
  detector.OnPress(1, MouseButton::kLeft, 10, 10, t1);
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 10, 10, t1 + milliseconds(501)));
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 13, 10, t1 + milliseconds(600)));
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kRight, 13, 10, t1 + milliseconds(700)));
  EXPECT_FALSE(detector.OnPress(2, MouseButton::kRight, 13, 10, t1 + milliseconds(800)));
  detector.Reset();
  EXPECT_FALSE(detector.OnPress(2, MouseButton::kRight, 13, 10, t1 + milliseconds(900)));
  EXPECT_FALSE(detector.OnPress(2, MouseButton::kRight, 13, 10, t1 + milliseconds(100)));
}

// Two monitors side by side, a panel along the top of the desktop.
TEST(MonitorWorkAreaTest, TheMonitorAWindowMostlyCoversLessTheDesktopPanels) {
  const std::vector<Rect> monitors{{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
  const Rect desktop{0, 30, 3200, 1050};
  EXPECT_EQ(MonitorWorkArea(monitors, desktop, {100, 100, 500, 600}), (Rect{0, 30, 1280, 770}));
  EXPECT_EQ(MonitorWorkArea(monitors, desktop, {1200, 100, 500, 600}), (Rect{1280, 30, 1920, 1050}));
  // Off every monitor: the nearest one.
  EXPECT_EQ(MonitorWorkArea(monitors, desktop, {4000, 100, 10, 10}), (Rect{1280, 30, 1920, 1050}));
  // A work area that misses the monitor, or no monitors at all.
  EXPECT_EQ(MonitorWorkArea(monitors, {0, 0, 1280, 800}, {1500, 10, 10, 10}), monitors[1]);
  EXPECT_EQ(MonitorWorkArea({}, desktop, {0, 0, 10, 10}), desktop);
}

TEST(XftDpiTest, ReadsTheResourceLineOnly) {
  EXPECT_EQ(XftDpiFromResources("Xft.antialias:\t1\nXft.dpi:\t144\n"), 144.0);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: 120.5"), 120.5);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi:\tlots\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi:\t-3\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("MyXft.dpi:\t144\n"), std::nullopt);
}

// A move and the bottom-right corner within the minimum size: the real
// window's drag and resize without a window manager.
TEST(DraggedBoundsTest, EdgesResizeKeepingTheOppositeEdgeWithinTheLimits) {
  const Rect start{100, 100, 300, 200};
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTopLeft, 20, 10, {}, {}), (Rect{120, 110, 280, 190}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kLeft, 20, 10, {}, {}), (Rect{120, 100, 280, 200}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTop, 20, -10, {}, {}), (Rect{100, 90, 300, 210}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTopRight, 5, 5, {}, {}), (Rect{100, 105, 305, 195}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kBottomLeft, 5, 5, {}, {}),
            (Rect{105, 100, 295, 205}));
  const Size min{250, 150}, max{400, 260};
  // Shrinking from the left past the minimum pins the right edge at 400.
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kLeft, 200, 0, min, max), (Rect{150, 100, 250, 200}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kBottomRight, 500, 500, min, max),
            (Rect{100, 100, 400, 260}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTop, 0, 1000, {}, {}), (Rect{100, 299, 300, 1}));
}

}  // namespace
}  // namespace platform::x11
