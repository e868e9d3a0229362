// Caption and size-box hit tests of a frameless window.
#include <gtest/gtest.h>

#include "ui/controls/box.h"
#include "ui/controls/window.h"
#include "ui/window/hit_test.h"
#include "ui/markup/layout_builder.h"

namespace ui {
namespace {

// A 400x300 window with the main window's caption band and size box, a
// button and a text field in the band, a scrolling list below it.
class HitTestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.SetAttribute(L"caption", L"0,0,0,35");
    window_.SetAttribute(L"sizebox", L"10,10,10,10");
    auto* root = dynamic_cast<Box*>(LayoutBuilder::Create(LR"(<Window><VBox>
      <HBox height="35">
        <Control/>
        <Button name="btn" width="30"/>
        <RichEdit name="edit" width="60"/>
        <Label name="label" width="60"/>
      </HBox>
      <VListBox vscrollbar="true" height="100"><Control height="1000"/></VListBox>
    </VBox></Window>)", {}, &window_));
    ASSERT_NE(root, nullptr);
    window_.AttachRoot(root);
    window_.ArrangeRoot({400, 300});
  }
  HitArea At(int x, int y, bool maximized = false, UiRect shadow = {}) {
    return HitTestWindow(window_, UiPoint{x, y}, HitTestFrame{{400, 300}, shadow, maximized});
  }
  Window window_;
};

TEST_F(HitTestTest, SizeBoxBandsAndCorners) {
  EXPECT_EQ(At(0, 0), HitArea::kTopLeft);
  EXPECT_EQ(At(9, 9), HitArea::kTopLeft);
  EXPECT_EQ(At(200, 5), HitArea::kTop);
  EXPECT_EQ(At(395, 2), HitArea::kTopRight);
  EXPECT_EQ(At(399, 150), HitArea::kRight);
  EXPECT_EQ(At(390, 290), HitArea::kBottomRight);
  EXPECT_EQ(At(200, 299), HitArea::kBottom);
  EXPECT_EQ(At(3, 295), HitArea::kBottomLeft);
  EXPECT_EQ(At(5, 150), HitArea::kLeft);
  // A scroll bar along the edge takes its presses; the edge resizes beside it.
  EXPECT_EQ(At(397, 80), HitArea::kClient);
  EXPECT_EQ(At(5, 80), HitArea::kLeft);
  EXPECT_EQ(At(10, 150), HitArea::kClient);
  // Maximised windows cannot be resized: the edges are ordinary area.
  EXPECT_EQ(At(200, 299, true), HitArea::kClient);
  EXPECT_EQ(At(200, 5, true), HitArea::kCaption);
}

TEST_F(HitTestTest, CaptionDragsExceptOnButtonsAndEdits) {
  const int y = 20;
  EXPECT_EQ(At(50, y), HitArea::kCaption);  // empty background
  const UiRect btn = window_.FindControl(L"btn")->GetPos();
  const UiRect edit = window_.FindControl(L"edit")->GetPos();
  const UiRect label = window_.FindControl(L"label")->GetPos();
  ASSERT_FALSE(btn.IsEmpty());
  EXPECT_EQ(At(btn.left + 5, y), HitArea::kClient);
  EXPECT_EQ(At(edit.left + 5, y), HitArea::kClient);
  EXPECT_EQ(At(label.left + 5, y), HitArea::kCaption);  // labels do not take clicks
  EXPECT_EQ(At(50, 35), HitArea::kClient);              // below the band
}

}  // namespace
}  // namespace ui
