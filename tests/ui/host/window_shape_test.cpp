// The frame of a window inside its shadow padding, and the outline of round
// corners given to the shape extension.
#include <gtest/gtest.h>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/box.h"
#include "ui/controls/window.h"
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

class FramePaddingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.SetHost(&host_);
    window_.AddTextColor(L"red", 0xFFFF0000);
    root_ = new Box;
    root_->SetBkColor(L"red");
    window_.AttachRoot(root_);
  }
  void TearDown() override { window_.SetHost(nullptr); }

  testing_support::FakeHost host_;
  Window window_;
  Box* root_ = nullptr;
};

// The root inside the shadow's padding, normal and maximised, and the round
// corners and margin left transparent: the shadow test's screen pixels.
TEST_F(FramePaddingTest, AnAutoSizedRootWantsThePaddingAndTheRootsShadowIsTheMargin) {
  // A root sized to its content wants its size plus the padding.
  root_->SetFixedWidth(kSizeAuto);
  root_->SetFixedHeight(kSizeAuto);
  auto* child = new Control;
  child->SetFixedWidth(70);
  child->SetFixedHeight(40);
  root_->Add(child);
  window_.SetShadowPadding({10, 5, 10, 5});
  EXPECT_EQ(window_.EstimateRootSize({240, 190}), (UiSize{90, 50}));

  // Without an attached shadow the root's own shadow is the frame margin.
  window_.SetShadowPadding({});
  window_.SetAttribute(L"shadowattached", L"false");
  window_.SetAttribute(L"custom_shadow", L"10,10,10,10");
  EXPECT_EQ(window_.GetFrameMargin(), (UiRect{10, 10, 10, 10}));
}

}  // namespace
}  // namespace ui
