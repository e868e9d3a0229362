// The X11 host under a real UI loop: an opaque window's background, closing
// and delayed control destruction. Painting, repainting what changed and
// sizing to the root's content are shown by every window test on the screen
// (the settings window's lit button and OCR, window_shadow_test.cpp).
#include <gtest/gtest.h>

#include "tests/ui/host/gui_test_support.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/host/x11_window_host.h"

namespace ui {
namespace {

class X11WindowHostTest : public testing_support::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    root_ = new Box;  // paints nothing
    window_.AttachRoot(root_);
  }
  void TearDown() override {
    host_.reset();
    GuiTest::TearDown();
  }

  void CreateHost(ScreenRect bounds) {
    WindowOptions options;
    options.title = L"host";
    options.class_name = L"FleetSyncHost";
    options.bounds = bounds;
    host_ = X11WindowHost::Create(*display_, window_, options);
    ASSERT_NE(host_, nullptr);
    EXPECT_EQ(window_.GetHost(), host_.get());
  }

  Window window_;
  Box* root_ = nullptr;
  std::unique_ptr<X11WindowHost> host_;
};

TEST_F(X11WindowHostTest, TransparentPartsOfAnOpaqueWindowShowItsBackground) {
  CreateHost({300, 100, 50, 50});
  ASSERT_FALSE(host_->translucent());
  host_->native_window().Show(true);
  ASSERT_TRUE(RunUntil([&] { return ScreenPixel(320, 120) == 0xFFFFFF; }));
}

TEST_F(X11WindowHostTest, CloseRequestDestroysTheNativeWindowAndDetachesTheHost) {
  CreateHost({100, 100, 60, 60});
  host_->native_window().Show(true);
  bool destroyed = false;
  host_->SetDestroyedHandler([&] {
    destroyed = true;
    host_.reset();  // the owner may let go of the host here
  });
  ASSERT_TRUE(RunUntil([&] { return host_->native_window().mapped(); }));

  platform::x11::testing::SendWmDelete(host_->native_window().id());

  ASSERT_TRUE(RunUntil([&] { return destroyed; }));
  EXPECT_EQ(host_, nullptr);
  EXPECT_EQ(window_.GetHost(), nullptr);
}

TEST_F(X11WindowHostTest, QueuedControlsAreDestroyedOnALaterLoopTurn) {
  CreateHost({100, 100, 60, 60});
  auto* child = new Control;
  root_->Add(child);
  root_->Remove(child);  // queued for delayed destruction by its box
  EXPECT_EQ(window_.GetQueuedControlCount(), 1u);
  ASSERT_TRUE(RunUntil([&] { return window_.GetQueuedControlCount() == 0; }));
}

}  // namespace
}  // namespace ui
