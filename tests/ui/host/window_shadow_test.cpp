// The drawn shadow and round corners of a window on both paths the server
// may offer: opaque (a bare Xvfb, no compositor: no shadow, the outline cut
// out with the shape extension) and translucent (xcompmgr started here: the
// shadow blends over what lies below and lets clicks through). Checked on
// screen pixels over a white backdrop window. Maximising hides the shadow
// and fills the work area with the frame (bounded by a window manager's
// panel: the window base's test on a fake window system).
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/host/gui_test_support.h"
#include "ui/controls/box.h"
#include "ui/window/window_impl_base.h"

namespace ui {
namespace {

constexpr wchar_t kShadowedLayout[] =
    LR"(<Window size="200,150" roundcorner="16,16" caption="0,0,0,30" )"
    LR"(shadowimage="file='../public/bk/shadow3.png' corner='20,20,20,20'" shadowcorner="20,20,20,20">)"
    LR"(<VBox bkcolor="test_red"/></Window>)";

constexpr unsigned long kRed = 0xFF0000, kWhite = 0xFFFFFF;

class ShadowedWindow : public WindowImplBase {
 public:
  explicit ShadowedWindow(bool* gone) : gone_(gone) { AddTextColor(L"test_red", 0xFFFF0000); }

 protected:
  std::wstring GetWindowClassName() const override { return L"fleetsync-shadow-test"; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override { return kShadowedLayout; }
  void OnFinalMessage() override {
    *gone_ = true;
    WindowImplBase::OnFinalMessage();
  }

 private:
  bool* gone_;
};

// A translucent dark shadow over white: nearly grey, darker than white,
// far from black.
bool IsShadowGrey(unsigned long rgb) {
  const int r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
  const int low = std::min({r, g, b}), high = std::max({r, g, b});
  return high - low <= 8 && low > 120 && high < 250;
}

class WindowShadowTest : public testing_support::ThemedGuiTest {
 protected:
  void SetUp() override {
    ThemedGuiTest::SetUp();
    if (!display_) return;
    // A white backdrop under the test window, so that transparency shows.
    ::Display* dpy = display_->xdisplay();
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(dpy, display_->screen());
    backdrop_ = XCreateWindow(dpy, display_->root(), 40, 40, 400, 300, 0, CopyFromParent,
                              InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                              &attributes);
    XMapWindow(dpy, backdrop_);
    XSync(dpy, False);
  }
  void TearDown() override {
    if (window_ && !gone_) delete window_;
    if (!display_) return;
    if (backdrop_) XDestroyWindow(display_->xdisplay(), backdrop_);
    XSync(display_->xdisplay(), False);
    ThemedGuiTest::TearDown();
  }

  // The frame at (100, 100), 200 x 150, shown and painted.
  void OpenWindow() {
    window_ = new ShadowedWindow(&gone_);
    ASSERT_TRUE(window_->Create(*windows_, nullptr, L"阴影", UiRect{100, 100, 300, 250}));
    window_->ShowWindow(true, false);
    ASSERT_TRUE(RunUntil([&] { return ScreenPixel(200, 175) == kRed; }));
  }

  // The top-level window under a screen point, as the pointer finds it.
  ::Window TopLevelAt(int x, int y) {
    if (!Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y))) return 0;
    ::Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(display_->xdisplay(), display_->root(), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return child;
  }

  ::Window backdrop_ = 0;
  ShadowedWindow* window_ = nullptr;
  bool gone_ = false;
};

TEST_F(WindowShadowTest, OpaqueWindowLeavesTheShadowOutAndCutsItsRoundCorners) {
  ASSERT_FALSE(display_->HasCompositor());
  OpenWindow();
  EXPECT_FALSE(window_->host()->translucent());
  EXPECT_TRUE(X11HostOf(window_->host())->shadow_padding().IsZero());
  EXPECT_EQ(NativeWindowOf(window_->host())->bounds(), (platform::x11::Rect{100, 100, 200, 150}));
  // Red up to every edge (no black band), the backdrop right outside.
  for (auto [x, y] : {std::pair{100, 175}, {299, 175}, {200, 100}, {200, 249}}) {
    EXPECT_EQ(ScreenPixel(x, y), kRed) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{95, 175}, {305, 175}, {200, 95}, {200, 255}}) {
    EXPECT_EQ(ScreenPixel(x, y), kWhite) << x << "," << y;
  }
  // The corners are cut away: the backdrop shows through them.
  for (auto [x, y] : {std::pair{100, 100}, {299, 100}, {100, 249}, {299, 249}}) {
    EXPECT_EQ(ScreenPixel(x, y), kWhite) << x << "," << y;
  }
  EXPECT_EQ(ScreenPixel(108, 108), kRed);

  // The outline follows a size change.
  NativeWindowOf(window_->host())->Resize(260, 150);
  EXPECT_TRUE(RunUntil([&] { return ScreenPixel(350, 175) == kRed; }));
  EXPECT_EQ(ScreenPixel(359, 100), kWhite);
  EXPECT_EQ(ScreenPixel(359, 175), kRed);
}

TEST_F(WindowShadowTest, TranslucentWindowDrawsItsShadowAndLetsClicksThroughIt) {
  StartCompositor();
  if (IsSkipped() || HasFatalFailure()) return;
  OpenWindow();
  ASSERT_TRUE(window_->host()->translucent());
  EXPECT_EQ(X11HostOf(window_->host())->shadow_padding(), (UiRect{20, 20, 20, 20}));
  EXPECT_EQ(NativeWindowOf(window_->host())->bounds(), (platform::x11::Rect{80, 80, 240, 190}));
  EXPECT_EQ(window_->host()->frame_bounds(), (ScreenRect{100, 100, 200, 150}));
  EXPECT_EQ(window_->GetRoot()->GetPos(), (UiRect{20, 20, 220, 170}));

  // The compositor paints on its own time.
  EXPECT_TRUE(RunUntil([&] { return IsShadowGrey(ScreenPixel(90, 175)); }))
      << std::hex << ScreenPixel(90, 175);
  for (auto [x, y] : {std::pair{309, 175}, {200, 90}, {200, 259}}) {
    EXPECT_TRUE(IsShadowGrey(ScreenPixel(x, y))) << x << "," << y << ": " << std::hex
                                                 << ScreenPixel(x, y);
  }
  EXPECT_EQ(ScreenPixel(60, 175), kWhite);  // beyond the shadow
  // The round corner is transparent: the shadow shows there, not the frame.
  EXPECT_TRUE(IsShadowGrey(ScreenPixel(100, 100))) << std::hex << ScreenPixel(100, 100);
  EXPECT_EQ(ScreenPixel(108, 108), kRed);

  // The shadow takes no clicks; the frame does.
  EXPECT_EQ(TopLevelAt(90, 175), backdrop_);
  EXPECT_EQ(TopLevelAt(200, 175), NativeWindowOf(window_->host())->id());
  EXPECT_EQ(window_->HitTest(UiPoint{100, 30}), HitArea::kCaption);  // below the shadow

  // Maximised, the frame fills the work area and the shadow is gone.
  window_->Maximize();
  const platform::x11::Rect work = display_->GetWorkArea();
  EXPECT_TRUE(RunUntil([&] { return NativeWindowOf(window_->host())->bounds() == work; }));
  EXPECT_TRUE(X11HostOf(window_->host())->shadow_padding().IsZero());
  EXPECT_EQ(window_->GetRoot()->GetPos(), (UiRect{0, 0, work.width, work.height}));
  window_->Restore();
  EXPECT_TRUE(RunUntil([&] {
    return window_->host()->frame_bounds() == ScreenRect{100, 100, 200, 150};
  }));
  EXPECT_EQ(X11HostOf(window_->host())->shadow_padding(), (UiRect{20, 20, 20, 20}));
  delete window_;
  window_ = nullptr;
  // Later tests expect a server without a compositor.
  compositor_.reset();
  EXPECT_TRUE(RunUntil([&] { return !display_->HasCompositor(); }));
}

}  // namespace
}  // namespace ui
