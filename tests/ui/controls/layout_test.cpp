// Box layouts: measuring and arranging, checked by the rectangles children get.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/controls/hbox.h"
#include "ui/controls/label.h"
#include "ui/controls/vbox.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

struct Child {
  int width = kSizeStretch;
  int height = kSizeStretch;
  UiRect margin;
  HorAlign hor = HorAlign::kLeft;
  VerAlign ver = VerAlign::kTop;
  int max_height = 9999999;
  int max_width = 9999999;
  bool visible = true;
  bool floating = false;
};

struct Case {
  const char* name;
  bool vertical;
  UiRect box;
  UiRect padding;
  int child_margin;
  std::vector<Child> children;
  std::vector<UiRect> expected;  // per visible child, in order
};

std::unique_ptr<Box> Build(const Case& c) {
  std::unique_ptr<Box> box(c.vertical ? static_cast<Box*>(new VBox) : new HBox);
  box->GetLayout()->SetPadding(c.padding, false);
  box->GetLayout()->SetChildMargin(c.child_margin, false);
  for (const Child& wanted : c.children) {
    auto* child = new Control;
    child->SetFixedWidth(wanted.width);
    child->SetFixedHeight(wanted.height);
    child->SetMargin(wanted.margin);
    child->SetHorAlign(wanted.hor);
    child->SetVerAlign(wanted.ver);
    child->SetMaxHeight(wanted.max_height);
    child->SetMaxWidth(wanted.max_width);
    child->SetVisible(wanted.visible);
    child->SetFloat(wanted.floating);
    box->Add(child);
  }
  return box;
}

std::vector<UiRect> VisibleRects(const Box& box) {
  std::vector<UiRect> rects;
  for (Control* item : box.GetItems()) {
    if (item->IsVisible()) rects.push_back(item->GetPos());
  }
  return rects;
}

const Child kStretch{};
Child Fixed(int w, int h) {
  Child c;
  c.width = w;
  c.height = h;
  return c;
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { Shutdown(); }
  void TearDown() override { Shutdown(); }
};

TEST_F(LayoutTest, ArrangesChildrenIntoExpectedRectangles) {
  Child stretch_margin_top5 = kStretch;
  stretch_margin_top5.margin = {0, 5, 0, 0};
  Child centred50 = Fixed(50, 10);
  centred50.hor = HorAlign::kCenter;
  Child max20 = kStretch;
  max20.max_height = 20;
  Child hidden = Fixed(kSizeStretch, 20);
  hidden.visible = false;
  Child right_aligned = Fixed(30, 10);
  right_aligned.hor = HorAlign::kRight;
  right_aligned.margin = {0, 0, 4, 0};
  Child vcentred = Fixed(10, 20);
  vcentred.ver = VerAlign::kCenter;
  Child bottom = Fixed(10, 20);
  bottom.ver = VerAlign::kBottom;
  Child floating = Fixed(20, 10);
  floating.floating = true;
  floating.hor = HorAlign::kRight;
  floating.margin = {0, 3, 5, 0};

  const Case cases[] = {
      {"three stretch children share 100 as 34/33/33", true, {0, 0, 80, 100}, {}, 0,
       {kStretch, kStretch, kStretch},
       {{0, 0, 80, 34}, {0, 34, 80, 67}, {0, 67, 80, 100}}},
      {"fixed 30 and a stretch child with margin top 5 gets 65", true, {0, 0, 80, 100}, {}, 0,
       {Fixed(kSizeStretch, 30), stretch_margin_top5},
       {{0, 0, 80, 30}, {0, 35, 80, 100}}},
      {"overflow: stretch share is 0 and children run past the bottom", true, {0, 0, 80, 100}, {}, 0,
       {Fixed(kSizeStretch, 60), kStretch, Fixed(kSizeStretch, 60)},
       {{0, 0, 80, 60}, {0, 60, 80, 60}, {0, 60, 80, 120}}},
      {"centre alignment of 50 in 101 puts the left at 25", true, {0, 0, 101, 100}, {}, 0,
       {centred50}, {{25, 0, 75, 10}}},
      {"max height 20 keeps 20, the rest is not redistributed", true, {0, 0, 80, 200}, {}, 0,
       {max20, kStretch}, {{0, 0, 80, 20}, {0, 20, 80, 120}}},
      {"an invisible child takes no space and no child margin", true, {0, 0, 80, 100}, {}, 10,
       {Fixed(kSizeStretch, 20), hidden, Fixed(kSizeStretch, 20)},
       {{0, 0, 80, 20}, {0, 30, 80, 50}}},
      {"padding and child margin shift the stack", true, {10, 10, 90, 110}, {5, 6, 7, 8}, 4,
       {Fixed(kSizeStretch, 20), kStretch},
       {{15, 16, 83, 36}, {15, 40, 83, 102}}},
      {"right alignment keeps the right margin", true, {0, 0, 100, 50}, {}, 0,
       {right_aligned}, {{66, 0, 96, 10}}},
      {"horizontal: three stretch children share 100 as 34/33/33", false, {0, 0, 100, 40}, {}, 0,
       {kStretch, kStretch, kStretch},
       {{0, 0, 34, 40}, {34, 0, 67, 40}, {67, 0, 100, 40}}},
      {"horizontal: vertical centre and bottom alignment", false, {0, 0, 100, 41}, {}, 5,
       {vcentred, bottom, kStretch},
       {{0, 10, 10, 30}, {15, 21, 25, 41}, {30, 0, 100, 41}}},
      {"a floating child is placed on its own and takes no space", true, {0, 0, 100, 50}, {}, 0,
       {floating, Fixed(kSizeStretch, 10)},
       {{75, 3, 95, 13}, {0, 0, 100, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto box = Build(c);
    box->SetPos(c.box);
    EXPECT_EQ(VisibleRects(*box), c.expected);
  }
}

// An auto-height box measures its children, child margin and padding.
TEST_F(LayoutTest, StretchChildOfAutoBoxIsMeasuredByItsContent) {
  // A caption label (stretch height) above a 25-pixel input in an auto box:
  // the caption must keep the height of its text, not vanish.
  VBox field;
  field.SetFixedHeight(kSizeAuto);
  field.GetLayout()->SetChildMargin(5, false);
  field.GetLayout()->SetPadding({2, 4, 2, 6}, false);
  auto* caption = new Label;
  caption->SetText(L"升级文件");
  auto* input = new Control;
  input->SetFixedHeight(25);
  field.Add(caption);
  field.Add(input);
  const int text_height = caption->EstimateText({300, 300}).cy;
  ASSERT_GT(text_height, 0);
  UiSize size = field.EstimateSize({300, 300});
  EXPECT_EQ(size.cy, 4 + text_height + 5 + 25 + 6);
  EXPECT_EQ(size.cx, kSizeStretch);
  field.SetPos({0, 0, 300, size.cy});
  EXPECT_EQ(caption->GetPos().Height(), text_height);
  const int input_top = 4 + text_height + 5;
  EXPECT_EQ(input->GetPos(), (UiRect{2, input_top, 298, input_top + 25}));
}

TEST_F(LayoutTest, EstimateIsCachedUntilContentChanges) {
  VBox box;
  box.SetFixedHeight(kSizeAuto);
  auto* child = new Control;
  child->SetFixedHeight(10);
  box.Add(child);
  EXPECT_EQ(box.EstimateSize({100, 100}).cy, 10);
  EXPECT_FALSE(box.IsReEstimateSize());
  child->SetFixedHeight(30);  // marks the chain stale
  EXPECT_TRUE(box.IsReEstimateSize());
  EXPECT_EQ(box.EstimateSize({100, 100}).cy, 30);
}

}  // namespace
}  // namespace ui
