// The outline of round corners given to the shape extension.
#include <gtest/gtest.h>

#include "ui/host/window_shape.h"

namespace ui {
namespace {

TEST(RoundRectBandsTest, CornersAreCutSymmetricallyAndBandsNeverOverlap) {
  const UiRect frame{20, 20, 220, 170};
  EXPECT_EQ(RoundRectBands(frame, {}), (std::vector<UiRect>{frame}));

  const std::vector<UiRect> bands = RoundRectBands(frame, {16, 16});
  ASSERT_EQ(bands.size(), 8u + 1u + 8u);  // eight rows per corner, one middle band
  EXPECT_EQ(bands[8], (UiRect{20, 28, 220, 162}));
  int covered = 0;
  for (size_t i = 0; i < bands.size(); ++i) {
    const UiRect& band = bands[i];
    const UiRect& mirror = bands[bands.size() - 1 - i];
    EXPECT_EQ(band.left - frame.left, frame.right - band.right);  // left and right alike
    EXPECT_EQ(band.left, mirror.left);                            // top and bottom alike
    if (i > 0) {
      EXPECT_EQ(band.top, bands[i - 1].bottom);
    }
    covered += band.Width() * band.Height();
  }
  EXPECT_GE(bands.front().left - frame.left, 4);  // the first row loses most
  EXPECT_EQ(bands[7].left, frame.left);           // the last corner row almost nothing
  EXPECT_LT(covered, frame.Width() * frame.Height());

  // Corners larger than the frame, and a frame of odd height.
  for (const UiRect& band : RoundRectBands({0, 0, 10, 5}, {40, 40})) {
    EXPECT_FALSE(band.IsEmpty());
    EXPECT_LE(band.bottom, 5);
  }
  EXPECT_TRUE(RoundRectBands({}, {8, 8}).empty());
}

}  // namespace
}  // namespace ui
