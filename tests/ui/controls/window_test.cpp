// The headless window core: name map, routing references, delayed
// destruction, focus and invalidation.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/button.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    window_ = std::make_unique<Window>();
    window_->SetHost(&host_);
    root_ = new VBox;
    window_->AttachRoot(root_);
  }
  void TearDown() override {
    window_.reset();
    Shutdown();
  }

  testing_support::FakeHost host_;
  std::unique_ptr<Window> window_;
  VBox* root_ = nullptr;
};

TEST_F(WindowTest, NameMapFollowsAddRemoveAndRename) {
  auto* box = new VBox;
  auto* button = new Button;
  button->SetName(L"btn");
  box->Add(button);
  root_->Add(box);
  EXPECT_EQ(window_->FindControl(L"btn"), button);
  button->SetName(L"renamed");
  EXPECT_EQ(window_->FindControl(L"btn"), nullptr);
  EXPECT_EQ(window_->FindControl(L"renamed"), button);
  root_->SetAutoDestroy(false);
  root_->Remove(box);
  EXPECT_EQ(window_->FindControl(L"renamed"), nullptr);
  EXPECT_EQ(button->GetWindow(), nullptr);
  delete box;
}

TEST_F(WindowTest, DuplicateNamesFallBackToTheRemainingControl) {
  auto* first = new Control;
  auto* second = new Control;
  first->SetName(L"label_state");
  second->SetName(L"label_state");
  root_->Add(first);
  root_->Add(second);
  EXPECT_EQ(window_->FindControl(L"label_state"), first);
  root_->SetDelayedDestroy(false);
  root_->Remove(first);
  EXPECT_EQ(window_->FindControl(L"label_state"), second);
}

TEST_F(WindowTest, RoutingReferencesAreClearedWhenControlsLeave) {
  auto* row = new VBox;
  auto* child = new Button;
  row->Add(child);
  root_->Add(row);
  window_->ArrangeRoot({100, 100});
  window_->SetHoverControl(child);
  window_->SetPressedControl(child);
  window_->SetKeyDownControl(row);
  window_->SetFocus(child);
  host_.captured = true;
  ASSERT_EQ(window_->GetFocus(), child);

  root_->RemoveAll();  // delayed: detached now, destroyed later
  EXPECT_EQ(window_->GetHoverControl(), nullptr);
  EXPECT_EQ(window_->GetPressedControl(), nullptr);
  EXPECT_EQ(window_->GetKeyDownControl(), nullptr);
  EXPECT_EQ(window_->GetFocus(), nullptr);
  EXPECT_FALSE(host_.captured);
  window_->DestroyQueuedControls();
  EXPECT_EQ(window_->FindControl(UiPoint{5, 5}), root_);
}

TEST_F(WindowTest, QueuedControlsAreDestroyedWithTheWindow) {
  int destroyed = 0;
  for (int i = 0; i < 2; ++i) {
    auto* c = new Control;
    c->AttachEvent(kEventDestroy, [&](const EventArgs&) { return ++destroyed, true; });
    root_->Add(c);
  }
  root_->RemoveAll();
  EXPECT_EQ(window_->GetQueuedControlCount(), 2u);
  EXPECT_EQ(destroyed, 0);
  window_.reset();
  EXPECT_EQ(destroyed, 2);
}

TEST_F(WindowTest, FocusMovesWithEventsInOrder) {
  auto* a = new Button;
  auto* b = new Button;
  root_->Add(a);
  root_->Add(b);
  std::vector<std::string> log;
  a->AttachEvent(kEventSetFocus, [&](const EventArgs&) { return log.push_back("a+"), true; });
  a->AttachEvent(kEventKillFocus, [&](const EventArgs&) { return log.push_back("a-"), true; });
  b->AttachEvent(kEventSetFocus, [&](const EventArgs&) { return log.push_back("b+"), true; });
  window_->SetFocus(a);
  EXPECT_TRUE(host_.native_focus);
  window_->SetFocus(a);  // no change, no events
  window_->SetFocus(b);
  EXPECT_EQ(log, (std::vector<std::string>{"a+", "a-", "b+"}));
  EXPECT_TRUE(b->IsFocused());

  b->SetVisible(false);
  window_->SetFocus(nullptr);
  window_->SetFocus(b);  // invisible: the focus stays empty
  EXPECT_EQ(window_->GetFocus(), nullptr);
  a->SetNoFocus(true);
  a->SetFocus();
  EXPECT_EQ(window_->GetFocus(), nullptr);
}

// Two distant rows repaint as two rows; touching parts merge into one.
TEST_F(WindowTest, DirtyRegionKeepsApartRectanglesApart) {
  window_->TakeDirtyRect();
  window_->Invalidate({0, 0, 100, 20});
  window_->Invalidate({0, 200, 100, 220});
  window_->Invalidate({0, 220, 100, 240});  // shares an edge with the second
  EXPECT_EQ(window_->GetDirtyRect(), (UiRect{0, 0, 100, 240}));
  EXPECT_EQ(window_->TakeDirtyRegion(),
            (std::vector<UiRect>{{0, 0, 100, 20}, {0, 200, 100, 240}}));
  EXPECT_TRUE(window_->TakeDirtyRegion().empty());

  // A rectangle bridging two others absorbs both.
  window_->Invalidate({0, 0, 10, 10});
  window_->Invalidate({50, 0, 60, 10});
  window_->Invalidate({5, 5, 55, 8});
  EXPECT_EQ(window_->TakeDirtyRegion(), (std::vector<UiRect>{{0, 0, 60, 10}}));

  // Too many pieces become their bounding rectangle.
  for (int i = 0; i <= static_cast<int>(Window::kMaxDirtyRects); ++i) {
    window_->Invalidate({0, i * 30, 10, i * 30 + 10});
  }
  const std::vector<UiRect> region = window_->TakeDirtyRegion();
  ASSERT_EQ(region.size(), 1u);
  EXPECT_EQ(region[0], (UiRect{0, 0, 10, static_cast<int>(Window::kMaxDirtyRects) * 30 + 10}));
}

// The root inside a drawn shadow's padding, normal and maximised, and the
// round corners and margin left transparent: the shadow test's screen pixels.
TEST_F(WindowTest, AutoSizedRootEstimatesWithinMinAndMaxPlusTheShadowPadding) {
  root_->SetFixedHeight(kSizeAuto);
  root_->SetFixedWidth(kSizeAuto);
  auto* c = new Control;
  c->SetFixedWidth(300);
  c->SetFixedHeight(40);
  root_->Add(c);
  EXPECT_EQ(window_->EstimateRootSize({500, 500}), (UiSize{300, 40}));
  window_->SetAttribute(L"mininfo", L"0,100");
  EXPECT_EQ(window_->EstimateRootSize({500, 500}), (UiSize{300, 100}));
  window_->SetShadowPadding({10, 5, 10, 5});
  EXPECT_EQ(window_->EstimateRootSize({500, 500}), (UiSize{320, 110}));

  // Without an attached shadow the root's own shadow is the frame margin.
  window_->SetShadowPadding({});
  window_->SetAttribute(L"shadowattached", L"false");
  window_->SetAttribute(L"custom_shadow", L"10,10,10,10");
  EXPECT_EQ(window_->GetFrameMargin(), (UiRect{10, 10, 10, 10}));
}

}  // namespace
}  // namespace ui
