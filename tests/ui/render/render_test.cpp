// Headless painting of control trees into an image surface, checked by
// pixel regions.
#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>
#include <memory>

#include "ui/controls/check_box.h"
#include "ui/controls/label.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/image.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

constexpr uint32_t kWhite = 0xffffffff;
constexpr uint32_t kRed = 0xffc63535;

struct Region {
  int count = 0;  // pixels matching
  UiRect box;     // their bounding box
};

Region Scan(const RenderContext& ctx, const UiRect& area, const std::function<bool(uint32_t)>& match) {
  Region r;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!match(ctx.GetPixel(x, y))) continue;
      if (r.count++ == 0) r.box = {x, y, x + 1, y + 1};
      else r.box = r.box.Union({x, y, x + 1, y + 1});
    }
  }
  return r;
}

// Text is antialiased: a "red" text pixel is one clearly redder than grey.
bool Reddish(uint32_t argb) {
  int r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
  return (argb >> 24) == 0xff && r - g > 60 && r - b > 60;
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    GlobalManager::AddFont(L"ui_font", L"system", 16, false, false, false, false, true);
    GlobalManager::AddTextColor(L"white", kWhite);
    GlobalManager::AddTextColor(L"black", 0xff000000u);
    GlobalManager::AddTextColor(L"red", kRed);
    GlobalManager::AddTextColor(L"half", 0x800000ffu);
    root_ = new VBox;
    root_->SetBkColor(L"white");
    window_.AttachRoot(root_);
  }
  void TearDown() override { Shutdown(); }

  // A plain control of `height` added to `parent` (the root by default).
  Control* Block(int height, const wchar_t* bkcolor = L"", Box* parent = nullptr) {
    auto* block = new Control;
    block->SetFixedHeight(height);
    block->SetBkColor(bkcolor);
    (parent ? parent : root_)->Add(block);
    return block;
  }

  void Render(int w, int h) {
    ctx_ = std::make_unique<RenderContext>(w, h);
    window_.ArrangeRoot({w, h});
    window_.Paint(*ctx_);
  }

  Window window_;
  VBox* root_ = nullptr;
  std::unique_ptr<RenderContext> ctx_;
};

TEST_F(RenderTest, ChineseLabelDrawsTextPixelsInItsColourInsideItsRectangle) {
  auto* label = new Label;
  label->SetFixedHeight(40);
  label->SetText(L"批量升级");
  label->SetFont(L"ui_font");
  label->SetStateTextColor(ControlState::kNormal, L"red");
  label->SetAttribute(L"align", L"vcenter");
  root_->Add(label);
  Block(40);
  Render(200, 80);

  Region text = Scan(*ctx_, {0, 0, 200, 40}, Reddish);
  EXPECT_GT(text.count, 40);
  // Centred both ways: the ink sits around the middle of the label.
  int mid_x = (text.box.left + text.box.right) / 2;
  int mid_y = (text.box.top + text.box.bottom) / 2;
  EXPECT_NEAR(mid_x, 100, 8);
  EXPECT_NEAR(mid_y, 20, 6);
  EXPECT_LE(text.box.Width(), 4 * 17 + 4);  // four glyphs of 16 px

  // Nothing but the white background elsewhere.
  Region rest = Scan(*ctx_, {0, 40, 200, 80}, [](uint32_t p) { return p != kWhite; });
  EXPECT_EQ(rest.count, 0);
}

TEST_F(RenderTest, LeftAlignedTextStartsAtThePadding) {
  auto* label = new Label;
  label->SetText(L"状态");
  label->SetFont(L"ui_font");
  label->SetStateTextColor(ControlState::kNormal, L"red");
  label->SetAttribute(L"align", L"left");
  label->SetAttribute(L"textpadding", L"10,5,0,0");
  root_->Add(label);
  Render(200, 40);
  Region text = Scan(*ctx_, {0, 0, 200, 40}, Reddish);
  ASSERT_GT(text.count, 0);
  EXPECT_GE(text.box.left, 10);
  EXPECT_LE(text.box.left, 13);
  EXPECT_GE(text.box.top, 5);
  EXPECT_LE(text.box.top, 12);
}

TEST_F(RenderTest, ColourNamesAreResolvedAndLiteralsPaintNothing) {
  root_->SetBkColor(L"");
  Block(10)->SetAttribute(L"bkcolor", L"#ff000000");
  Block(10)->SetAttribute(L"bkcolor", L"black");
  Block(10, L"half");
  window_.AddTextColor(L"half", 0xff00ff00u);  // the window's table is asked first
  Render(20, 30);
  EXPECT_EQ(ctx_->GetPixel(5, 5), 0u);
  EXPECT_EQ(ctx_->GetPixel(5, 15), 0xff000000u);
  EXPECT_EQ(ctx_->GetPixel(5, 25), 0xff00ff00u);
}

TEST_F(RenderTest, BordersInvisibleChildrenAndClipping) {
  auto* framed = new VBox;
  framed->SetFixedHeight(40);
  framed->SetAttribute(L"bordersize", L"2");
  framed->SetAttribute(L"bordercolor", L"red");
  root_->Add(framed);
  Block(80, L"black", framed);  // taller than its parent
  Block(20, L"black")->SetVisible(false);
  Render(50, 80);
  EXPECT_EQ(ctx_->GetPixel(0, 20), kRed);    // left border over the child
  EXPECT_EQ(ctx_->GetPixel(25, 39), kRed);   // bottom border
  EXPECT_EQ(ctx_->GetPixel(25, 20), 0xff000000u);
  EXPECT_EQ(ctx_->GetPixel(25, 45), kWhite);  // clipped to the parent
  EXPECT_EQ(ctx_->GetPixel(25, 70), kWhite);  // invisible: not painted
}

TEST_F(RenderTest, StateAndSelectedColoursAndAlpha) {
  root_->SetBkColor(L"");
  auto* check = new CheckBox;
  check->SetFixedHeight(10);
  check->SetAttribute(L"normalcolor", L"white");
  check->SetAttribute(L"hotcolor", L"black");
  check->SetAttribute(L"selectednormalcolor", L"red");
  root_->Add(check);
  Block(10, L"black")->SetAlpha(128);
  Render(20, 20);
  EXPECT_EQ(ctx_->GetPixel(5, 5), kWhite);
  EXPECT_NEAR(static_cast<int>(ctx_->GetPixel(5, 15) >> 24), 128, 1);

  check->SetState(ControlState::kHot);
  window_.Paint(*ctx_);
  EXPECT_EQ(ctx_->GetPixel(5, 5), 0xff000000u);
  check->Selected(true, false);
  window_.Paint(*ctx_);
  EXPECT_EQ(ctx_->GetPixel(5, 5), kRed);  // the hot selected colour falls back to selected normal
}

TEST_F(RenderTest, NineGridKeepsCornersAndStretchesTheMiddle) {
  // A 12x12 picture: 4-pixel red corners, blue edges, green middle.
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 12, 12);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 1, 0, 0);
  for (int x : {0, 8}) {
    for (int y : {0, 8}) {
      cairo_rectangle(cr, x, y, 4, 4);
    }
  }
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0, 1, 0);
  cairo_rectangle(cr, 4, 4, 4, 4);
  cairo_fill(cr);
  cairo_destroy(cr);
  ImageInfo image(s);

  RenderContext ctx(60, 40);
  ImageDrawParams p;
  p.dest = {0, 0, 60, 40};
  p.corner = {4, 4, 4, 4};
  ctx.DrawImage(image, p);
  EXPECT_EQ(ctx.GetPixel(1, 1), 0xffff0000u);
  EXPECT_EQ(ctx.GetPixel(58, 38), 0xffff0000u);
  EXPECT_EQ(ctx.GetPixel(30, 1), 0xff0000ffu);
  EXPECT_EQ(ctx.GetPixel(30, 20), 0xff00ff00u);

  // A source rectangle picks one part of the picture; alpha blends it.
  RenderContext part(10, 10);
  p.dest = {0, 0, 10, 10};
  p.corner = {};
  p.source = {4, 4, 8, 8};
  p.alpha = 128;
  part.DrawImage(image, p);
  EXPECT_NEAR(static_cast<int>(part.GetPixel(5, 5) >> 24), 128, 1);
  EXPECT_EQ(part.GetPixel(5, 5) & 0x00ffffff, 0x0000ff00u);
}

TEST_F(RenderTest, MeasuredTextMatchesWhatIsDrawn) {
  UiSize size = MeasureText(L"已连接数量：3", L"ui_font", kTextSingleLine, 0);
  EXPECT_GT(size.cx, 6 * 14);
  EXPECT_GE(size.cy, 16);
  RenderContext ctx(300, 40);
  ctx.DrawText(L"已连接数量：3", {0, 0, 300, 40}, L"ui_font", kRed, kTextSingleLine);
  Region ink = Scan(ctx, {0, 0, 300, 40}, [](uint32_t p) { return (p >> 24) > 0; });
  EXPECT_LE(ink.box.right, size.cx + 1);
  EXPECT_GT(ink.box.right, size.cx - 12);
}

TEST_F(RenderTest, ClipStackRestoresTheOuterClip) {
  RenderContext ctx(20, 20);
  ctx.PushClip({0, 0, 10, 10});
  ctx.PushClip({5, 5, 20, 20});
  EXPECT_EQ(ctx.GetClipBox(), (UiRect{5, 5, 10, 10}));
  ctx.PopClip();
  ctx.FillRect({0, 0, 20, 20}, kRed);
  ctx.PopClip();
  EXPECT_EQ(ctx.GetPixel(2, 2), kRed);
  EXPECT_EQ(ctx.GetPixel(15, 15), 0u);
  EXPECT_EQ(ctx.GetClipBox(), (UiRect{0, 0, 20, 20}));
}

}  // namespace
}  // namespace ui
