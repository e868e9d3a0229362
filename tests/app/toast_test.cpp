// Toasts under Xvfb: their size, closing by themselves, double click, Escape
// and the close button, several toasts at once, and what the screen shows on
// both paint paths. Toasts the tests close themselves live far longer than
// the tests, so only the test's own action can have closed them.
#include "app/toast.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/app/gui_session.h"
#include "tests/support/screen_text.h"

namespace {

// Longer than any test: such a toast closes only by what the test does.
constexpr int kLongLifetimeMs = 10 * 60 * 1000;

class ToastTest : public fleetsync_test::GuiSession {
 protected:
  // A toast the test can look at; `alive` tells when it was deleted.
  Toast* OpenToast(const std::wstring& text, std::weak_ptr<vbase::WeakFlag>& alive,
                   ui::WindowImplBase* owner) {
    auto* toast = new Toast;
    if (!toast->Open(*windows_, owner, text, kLongLifetimeMs)) {
      delete toast;
      return nullptr;
    }
    alive = toast->GetWeakFlag();
    EXPECT_TRUE(RunUntil([toast] { return NativeWindowOf(toast->host())->mapped(); }));
    platform::x11::testing::DispatchEventsCausedSoFar(*display_, loop_);  // the first paint
    return toast;
  }
  std::string ToastPoint(Toast& toast, int dx = 0, int dy = 0) {
    const platform::x11::Rect b = NativeWindowOf(toast.host())->bounds();
    return std::to_string(b.x + b.width / 2 + dx) + " " + std::to_string(b.y + b.height / 2 + dy);
  }
};

// Where it appears and what it reads are the program's and the toast-over-
// stripes tests' (by the screen); here its width and its closing by itself.
TEST_F(ToastTest, IsSizedToItsLabelAndClosesByItself) {
  OpenOwner();
  ShowToast(L"未选择升级文件", owner_);
  ASSERT_TRUE(RunUntil([this] { return MappedWindowsOfClass("Toast").size() == 1; }));
  XWindowAttributes shown{};
  XGetWindowAttributes(display_->xdisplay(), MappedWindowsOfClass("Toast").front(), &shown);
  EXPECT_EQ(shown.width, 240);  // the 200-pixel label and its margins
  EXPECT_TRUE(RunUntil([this] { return MappedWindowsOfClass("Toast").empty(); }, 20000));
  EXPECT_FALSE(owner_gone_);
}

TEST_F(ToastTest, LongMessagesWrapInsideTheLabel) {
  OpenOwner();
  std::weak_ptr<vbase::WeakFlag> short_alive, long_alive;
  Toast* one_line = OpenToast(L"无效的版本号", short_alive, owner_);
  Toast* wrapped = OpenToast(L"无法打开IP配置文件: 未找到 xdg-open, 也未设置 VISUAL 或 EDITOR",
                             long_alive, owner_);
  ASSERT_TRUE(one_line && wrapped);
  const platform::x11::Rect a = NativeWindowOf(one_line->host())->bounds();
  const platform::x11::Rect b = NativeWindowOf(wrapped->host())->bounds();
  EXPECT_EQ(a.width, b.width);
  EXPECT_GT(b.height, a.height + 15);
  EXPECT_EQ(wrapped->contentLabel->GetPos().Width(), 200);
  one_line->Close(1);
  wrapped->Close(1);
}

TEST_F(ToastTest, EscapeOrADoubleClickClosesIt) {
  OpenOwner();
  std::weak_ptr<vbase::WeakFlag> escaped, double_clicked;
  Toast* toast = OpenToast(L"无效的版本号", escaped, owner_);
  ASSERT_NE(toast, nullptr);
  ASSERT_TRUE(RunUntil([toast] { return NativeWindowOf(toast->host())->focused(); }));
  ASSERT_TRUE(Xdotool("key Escape"));
  EXPECT_TRUE(RunUntil([&] { return escaped.expired(); }));

  toast = OpenToast(L"未输入项目名空", double_clicked, owner_);
  ASSERT_NE(toast, nullptr);
  ASSERT_TRUE(Xdotool("mousemove " + ToastPoint(*toast, -50) + " click --repeat 2 --delay 80 1"));
  EXPECT_TRUE(RunUntil([&] { return double_clicked.expired(); }));
}

TEST_F(ToastTest, CloseButtonShowsWhileThePointerIsOverItAndClosesOnClick) {
  OpenOwner();
  std::weak_ptr<vbase::WeakFlag> alive;
  Toast* toast = OpenToast(L"未选择升级文件", alive, owner_);
  ASSERT_NE(toast, nullptr);
  ASSERT_NE(toast->closeButton, nullptr);
  EXPECT_FALSE(toast->closeButton->IsVisible());
  ASSERT_TRUE(Xdotool("mousemove " + ToastPoint(*toast) + " mousemove " + ToastPoint(*toast, 4, 2)));
  EXPECT_TRUE(toast->closeButton->IsVisible());
  ASSERT_TRUE(Xdotool("mousemove 5 5"));
  EXPECT_FALSE(toast->closeButton->IsVisible());
  ASSERT_TRUE(Xdotool("mousemove " + ToastPoint(*toast, 0, 5)));
  ASSERT_TRUE(toast->closeButton->IsVisible());
  ASSERT_TRUE(ClickOn(*toast, toast->closeButton));
  EXPECT_TRUE(RunUntil([&] { return alive.expired(); }));
}

TEST_F(ToastTest, SeveralStackInTheOrderTheyWereRaised) {
  OpenOwner();
  std::weak_ptr<vbase::WeakFlag> first, second, third;
  Toast* toasts[] = {OpenToast(L"第一条", first, owner_), OpenToast(L"第二条", second, owner_),
                     OpenToast(L"第三条", third, nullptr)};  // no owner: over the work area
  ASSERT_TRUE(toasts[0] && toasts[1] && toasts[2]);
  EXPECT_EQ(ToastTitles(), (std::vector<std::string>{"第一条", "第二条", "第三条"}));
  for (Toast* toast : toasts) toast->Close(1);
}

// A toast over black and white stripes, on the plain path and under a
// compositor: its text reads (the body hides the stripes) and its round
// corners show the stripes themselves.
class ToastOverStripesTest : public ToastTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    ToastTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!fleetsync_test::HaveTesseract()) GTEST_SKIP() << "tesseract missing";
    ::Display* x = display_->xdisplay();
    if (GetParam()) StartCompositor();
    if (IsSkipped() || HasFatalFailure()) return;
    const int screen = display_->screen();
    stripes_ = XCreatePixmap(x, display_->root(), 4, 1, DefaultDepth(x, screen));
    GC gc = XCreateGC(x, stripes_, 0, nullptr);
    XSetForeground(x, gc, WhitePixel(x, screen));
    XFillRectangle(x, stripes_, gc, 0, 0, 4, 1);
    XSetForeground(x, gc, BlackPixel(x, screen));
    XFillRectangle(x, stripes_, gc, 0, 0, 2, 1);
    XFreeGC(x, gc);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = stripes_;
    attributes.override_redirect = True;
    backdrop_ = XCreateWindow(x, display_->root(), 0, 0, DisplayWidth(x, screen),
                              DisplayHeight(x, screen), 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWBackPixmap | CWOverrideRedirect, &attributes);
    XMapWindow(x, backdrop_);
    XSync(x, False);
  }
  void TearDown() override {
    if (backdrop_) XDestroyWindow(display_->xdisplay(), backdrop_);
    if (stripes_) XFreePixmap(display_->xdisplay(), stripes_);
    ToastTest::TearDown();
  }

  Pixmap stripes_ = 0;
  Window backdrop_ = 0;
};

TEST_P(ToastOverStripesTest, TextReadsAndRoundCornersShowWhatIsBehind) {
  std::weak_ptr<vbase::WeakFlag> alive;
  Toast* toast = OpenToast(L"Version 7.3.1 refused", alive, nullptr);
  ASSERT_NE(toast, nullptr);
  ASSERT_EQ(toast->host()->translucent(), GetParam());
  const platform::x11::Rect b = NativeWindowOf(toast->host())->bounds();
  auto grab = [&] {
    return fleetsync_test::GrabScreen(display_->xdisplay(), {b.x, b.y, b.width, b.height});
  };
  auto is_stripe = [](uint32_t rgb) { return rgb == 0 || rgb == 0xFFFFFF; };
  // Stripes in the four corners, none along the top edge of the body. The
  // compositor paints on its own time: wait for that picture.
  auto corners_and_edge = [&](const fleetsync_test::ScreenGrab& g) {
    bool ok = !g.empty();
    for (auto [cx, cy] : {std::pair{0, 0}, {b.width - 1, 0}, {0, b.height - 1}, {b.width - 1, b.height - 1}})
      ok = ok && is_stripe(g.at(cx, cy));
    for (int x = 6; x < b.width - 6; x += 7) ok = ok && !is_stripe(g.at(x, 1));
    return ok;
  };
  fleetsync_test::ScreenGrab screen;
  EXPECT_TRUE(RunUntil([&] { return corners_and_edge(screen = grab()); }));
  const std::string text =
      fleetsync_test::CleanOcr(fleetsync_test::ReadText(screen.Crop(10, 10, b.width - 20, b.height - 20)));
  EXPECT_NE(text.find("Version7.3.1refused"), std::string::npos) << text;
  toast->Close(1);
}

INSTANTIATE_TEST_SUITE_P(PlainAndComposited, ToastOverStripesTest, ::testing::Values(false, true));

}  // namespace
