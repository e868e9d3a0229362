#include <gtest/gtest.h>

#include "platform/x11/double_click_detector.h"
#include "platform/x11/drag_geometry.h"

namespace platform::x11 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(DoubleClickDetectorTest, SecondPressSoonAndNearIsADoubleClickAndTheThirdStartsAfresh) {
  DoubleClickDetector detector;
  const Clock::time_point t0{};
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 10, 10, t0));
  EXPECT_TRUE(detector.OnPress(1, MouseButton::kLeft, 12, 8, t0 + milliseconds(200)));
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 12, 8, t0 + milliseconds(300)));
  EXPECT_TRUE(detector.OnPress(1, MouseButton::kLeft, 12, 8, t0 + milliseconds(800)));
}

TEST(DoubleClickDetectorTest, TooLateTooFarOtherButtonOtherWindowOrAKeyBreakThePair) {
  DoubleClickDetector detector;
  const Clock::time_point t0{};
  detector.OnPress(1, MouseButton::kLeft, 10, 10, t0);
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 10, 10, t0 + milliseconds(501)));
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kLeft, 13, 10, t0 + milliseconds(600)));
  EXPECT_FALSE(detector.OnPress(1, MouseButton::kRight, 13, 10, t0 + milliseconds(700)));
  EXPECT_FALSE(detector.OnPress(2, MouseButton::kRight, 13, 10, t0 + milliseconds(800)));
  detector.Reset();
  EXPECT_FALSE(detector.OnPress(2, MouseButton::kRight, 13, 10, t0 + milliseconds(900)));
  // A clock that went backwards (never on one monotonic clock) is no double click.
  EXPECT_FALSE(detector.OnPress(2, MouseButton::kRight, 13, 10, t0 + milliseconds(100)));
}

TEST(DraggedBoundsTest, MoveShiftsAndEdgesResizeKeepingTheOppositeEdge) {
  const Rect start{100, 100, 300, 200};
  EXPECT_EQ(DraggedBounds(start, std::nullopt, -30, 40, {}, {}), (Rect{70, 140, 300, 200}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kBottomRight, 20, 10, {}, {}),
            (Rect{100, 100, 320, 210}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTopLeft, 20, 10, {}, {}), (Rect{120, 110, 280, 190}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kLeft, 20, 10, {}, {}), (Rect{120, 100, 280, 200}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTop, 20, -10, {}, {}), (Rect{100, 90, 300, 210}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTopRight, 5, 5, {}, {}), (Rect{100, 105, 305, 195}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kBottomLeft, 5, 5, {}, {}),
            (Rect{105, 100, 295, 205}));
}

TEST(DraggedBoundsTest, ResizeRespectsLimitsAndNeverCollapses) {
  const Rect start{100, 100, 300, 200};
  const Size min{250, 150}, max{400, 260};
  // Shrinking from the left past the minimum pins the right edge at 400.
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kLeft, 200, 0, min, max), (Rect{150, 100, 250, 200}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kBottomRight, 500, 500, min, max),
            (Rect{100, 100, 400, 260}));
  EXPECT_EQ(DraggedBounds(start, ResizeEdge::kTop, 0, 1000, {}, {}), (Rect{100, 299, 300, 1}));
}

}  // namespace
}  // namespace platform::x11
