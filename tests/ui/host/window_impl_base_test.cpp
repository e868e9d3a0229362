// The window base on real windows under Xvfb, driven like a user would with
// xdotool: the gallery window clicks, fades, shows tooltips, resizes by its
// size box and fades out on Escape. What it asks of its native window alone is tested on a fake
// window system (tests/ui/window).
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/ui/host/gui_test_support.h"
#include "tools/gallery/gallery_window.h"
#include "ui/controls/box.h"

namespace ui {
namespace {

// A gallery that reports its end instead of quitting the loop, and records
// when and how faded it closed (closing once, with its code: the fake window
// system's test).
class TestGallery : public gallery::GalleryWindow {
 public:
  using Clock = std::chrono::steady_clock;
  explicit TestGallery(bool* gone) : GalleryWindow(false), gone_(gone) {}

  Clock::time_point escape_at;
  Clock::time_point closed_at;
  int root_alpha_at_close = -1;

 protected:
  bool OnKeyDown(wchar_t key_code, uint32_t modifiers) override {
    if (key_code == 27) escape_at = Clock::now();
    return GalleryWindow::OnKeyDown(key_code, modifiers);
  }
  void OnClose() override {
    closed_at = Clock::now();
    root_alpha_at_close = GetRoot()->GetAlpha();
    GalleryWindow::OnClose();
  }
  void OnFinalMessage() override {
    *gone_ = true;
    GalleryWindow::OnFinalMessage();
  }

 private:
  bool* gone_;
};

class WindowBaseTest : public testing_support::ThemedGuiTest {
 protected:
  void TearDown() override {
    if (window_ && !gone_) delete window_;
    ThemedGuiTest::TearDown();
  }

  void OpenMain() {
    window_ = new TestGallery(&gone_);
    ASSERT_TRUE(window_->Create(*windows_, nullptr, L"画廊", UiRect{100, 60, 620, 680}));
    window_->ShowWindow(true, true);
    EXPECT_TRUE(RunUntil([this] { return NativeWindowOf(window_->host())->mapped(); }));
    platform::x11::testing::DispatchEventsCausedSoFar(*display_, loop_);  // the first paint
  }

  std::string PointOf(const wchar_t* name) { return ScreenPointOf(*window_, window_->FindControl(name)); }

  TestGallery* window_ = nullptr;
  bool gone_ = false;
};

TEST_F(WindowBaseTest, ClickingAButtonFiresItsClickAndHoverFadesItIn) {
  OpenMain();
  Control* button = window_->FindControl(L"btn_default");
  int clicks = 0;
  button->AttachClick([&](const EventArgs&) {
    ++clicks;
    return true;
  });
  ASSERT_TRUE(Xdotool("mousemove " + PointOf(L"btn_default")));
  EXPECT_EQ(window_->GetHoverControl(), button);
  // The hot fade on the UI timers (its course: the fades' test on a manual clock).
  ASSERT_TRUE(RunUntil([&] { return button->GetHotAlpha() == 255; }, 10000));
  ASSERT_TRUE(Xdotool("click 1"));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(window_->GetFocus(), button);
  ASSERT_TRUE(Xdotool("key space"));
  EXPECT_EQ(clicks, 2);
  // Leaving the window: the button is no longer hovered and fades back.
  ASSERT_TRUE(Xdotool("mousemove 1200 780"));
  EXPECT_EQ(window_->GetHoverControl(), nullptr);
  EXPECT_TRUE(RunUntil([&] { return button->GetHotAlpha() == 0; }, 10000));
}

TEST_F(WindowBaseTest, HoveringShowsTheTooltipWindowOnlyForControlsWithText) {
  OpenMain();
  auto tooltip_windows = [] {
    return testing_support::Capture("xdotool search --onlyvisible --class fleetsync-tooltip");
  };
  ASSERT_TRUE(Xdotool("mousemove " + PointOf(L"btn_secondary")));
  RunFor(600);
  EXPECT_EQ(X11HostOf(window_->host())->tooltip_text(), L"");
  ASSERT_TRUE(Xdotool("mousemove " + PointOf(L"btn_default")));
  EXPECT_EQ(X11HostOf(window_->host())->tooltip_text(), L"");  // not before the hover time
  EXPECT_TRUE(RunUntil([&] { return X11HostOf(window_->host())->tooltip_text() == L"默认按钮"; }, 10000));
  EXPECT_TRUE(RunUntil([&] { return tooltip_windows() != ""; }, 10000));
  ASSERT_TRUE(Xdotool("mousemove " + PointOf(L"label_latin")));
  EXPECT_EQ(X11HostOf(window_->host())->tooltip_text(), L"");
  EXPECT_TRUE(RunUntil([&] { return tooltip_windows() == ""; }, 10000));
}

TEST_F(WindowBaseTest, EscapeClosesAfterTheFade) {
  OpenMain();
  TestGallery* window = window_;
  ASSERT_TRUE(ClickOn(*window_, window_->FindControl(L"label_latin")));
  int alpha = -1;
  TestGallery::Clock::duration close_delay{};
  // Read while the window still exists (it deletes itself once closed).
  window->FindControl(L"closebtn")->AttachEvent(kEventDestroy, [&](const EventArgs&) {
    alpha = window->root_alpha_at_close;
    close_delay = window->closed_at - window->escape_at;
    return true;
  });
  ASSERT_TRUE(Xdotool("key Escape"));
  EXPECT_TRUE(RunUntil([&] { return gone_; }, 10000));
  EXPECT_LT(alpha, 64);  // the root faded out before the close
  EXPECT_GE(close_delay, std::chrono::milliseconds(WindowImplBase::kCloseDelayMs - 20));
}

// The corner of the frame, wherever a drawn shadow puts it in the window.
TEST_F(WindowBaseTest, SizeBoxCornerResizesTheWindow) {
  OpenMain();
  const ScreenRect before = window_->host()->frame_bounds();
  const UiRect shadow = X11HostOf(window_->host())->shadow_padding();
  const int x = before.x + before.width - 2, y = before.y + before.height - 2;
  ASSERT_EQ(window_->HitTest(UiPoint{shadow.left + before.width - 2, shadow.top + before.height - 2}),
            HitArea::kBottomRight);
  Control* edit = window_->FindControl(L"edit");
  edit->SetFocus();
  int size_events = 0;
  edit->AttachEvent(kEventWindowSize, [&](const EventArgs&) {
    ++size_events;
    return true;
  });
  ASSERT_TRUE(Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) +
                      " mousedown 1 sleep 0.1 mousemove " + std::to_string(x + 40) + " " +
                      std::to_string(y + 30) + " sleep 0.1 mouseup 1"));
  EXPECT_TRUE(RunUntil([&] {
    const ScreenRect now = window_->host()->frame_bounds();
    return now.width == before.width + 40 && now.height == before.height + 30;
  }, 10000));
  EXPECT_EQ(window_->host()->frame_bounds().x, before.x);
  // The tree follows the new size.
  EXPECT_EQ(window_->GetRoot()->GetPos().Width(), before.width + 40);
  EXPECT_GT(size_events, 0);  // the focus control hears of the new size
}

}  // namespace
}  // namespace ui
