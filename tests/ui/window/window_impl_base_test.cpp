// The window base on a fake window system: what it asks of its native window
// (placement on the monitor's work area, maximising, drags handed over,
// modal owners, the icon) and how it closes. Real windows: ui/host tests.
#include "ui/window/window_impl_base.h"

#include <gtest/gtest.h>

#include "tests/ui/window/fake_window_system.h"
#include "ui/controls/control.h"
#include "ui/core/key_codes.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

using testing_support::FakeHostIn;
using testing_support::FakeTopLevelHost;
using testing_support::FakeWindowSystem;

constexpr wchar_t kMarkup[] = LR"(<Window size="300,200" mininfo="200,150" caption="0,0,0,30" sizebox="4,4,4,4">
  <VBox><HBox height="30"><Control/><Button name="maxbtn" width="20"/>
    <Button name="restorebtn" width="20" visible="false"/><Button name="closebtn" width="20"/></HBox>
  <Button name="ok" height="30"/></VBox></Window>)";

class TestWindow : public WindowImplBase {
 public:
  explicit TestWindow(bool* gone) : gone_(gone) {}

 protected:
  std::wstring GetWindowClassName() const override { return L"fleetsync-test"; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override { return kMarkup; }
  bool OnKeyDown(wchar_t key_code, uint32_t) override {
    if (key_code != kKeyEscape) return false;
    Close(0);
    Close(7);  // a second close while closing changes nothing
    return true;
  }
  void OnFinalMessage() override {
    *gone_ = true;
    WindowImplBase::OnFinalMessage();
  }

 private:
  bool* gone_;
};

class WindowBaseFakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ResourcePackage::Open(ThemeArchiveData(), ThemeArchiveSize()));
    Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
  }
  void TearDown() override {
    if (child_ && !child_gone_) delete child_;
    if (window_ && !gone_) delete window_;
    Shutdown();
    ResourcePackage::Close();
  }

  TestWindow* Open(bool* gone, ScreenRect at, WindowImplBase* owner = nullptr) {
    auto* window = new TestWindow(gone);
    EXPECT_TRUE(window->Create(system_, owner, L"标题", UiRect{at.x, at.y, at.x + 10, at.y + 10}));
    window->ShowWindow(true, true);
    return window;
  }
  static WindowEvent Press(UiPoint point, ScreenRect frame, bool double_click = false) {
    WindowEvent e;
    e.type = WindowEventType::kButtonPress;
    e.button = MouseButton::kLeft;
    e.point = point;
    e.screen_point = {frame.x + point.x, frame.y + point.y};
    e.double_click = double_click;
    return e;
  }

  FakeWindowSystem system_;
  TestWindow* window_ = nullptr;
  bool gone_ = false;
  TestWindow* child_ = nullptr;
  bool child_gone_ = false;
};

TEST_F(WindowBaseFakeTest, PlacedOnItsMonitorMaximisedThereAndDragsHandedToTheHost) {
  window_ = Open(&gone_, {1500, 100});
  FakeTopLevelHost& host = FakeHostIn(window_->host());
  EXPECT_EQ(host.options.class_name, L"fleetsync-test");
  EXPECT_EQ(host.options.title, L"标题");
  EXPECT_EQ(host.options.min_size, (UiSize{200, 150}));
  window_->CenterWindow();  // the right monitor: 1280 + (1024 - 300) / 2, (768 - 200) / 2
  const ScreenRect centred{1642, 284, 300, 200};
  EXPECT_EQ(host.frame, centred);

  host.Send(Press({100, 15}, host.frame));
  EXPECT_EQ(host.move_drag_from, (UiPoint{1742, 299}));
  // A press on the corner resizes: the gallery's size box on a real window.
  WindowEvent over_corner;
  over_corner.point = {298, 198};
  host.Send(over_corner);
  EXPECT_EQ(host.cursor, CursorType::kSizeNWSE);

  host.Send(Press({100, 15}, host.frame, true));  // a double click on the caption
  EXPECT_TRUE(window_->IsMaximized());
  EXPECT_EQ(host.frame, FakeWindowSystem::kRightWork);
  EXPECT_TRUE(host.shadow_hidden);
  EXPECT_FALSE(window_->FindControl(L"maxbtn")->IsVisible());
  EXPECT_TRUE(window_->FindControl(L"restorebtn")->IsVisible());
  host.move_drag_from = {-1, -1};
  host.Send(Press({100, 15}, host.frame));
  EXPECT_EQ(host.move_drag_from, (UiPoint{-1, -1})) << "a maximised window stays";
  host.Send(Press({100, 15}, host.frame, true));
  EXPECT_FALSE(window_->IsMaximized());
  EXPECT_EQ(host.frame, centred);
  EXPECT_FALSE(host.shadow_hidden);
}

TEST_F(WindowBaseFakeTest, ModalChildDisablesItsOwnerUntilItClosesOrGoes) {
  window_ = Open(&gone_, {100, 100});
  FakeTopLevelHost& owner = FakeHostIn(window_->host());
  child_ = Open(&child_gone_, {0, 0}, window_);
  FakeTopLevelHost& child = FakeHostIn(child_->host());
  EXPECT_EQ(child.options.owner, &owner);
  child_->ShowModalFake(window_);
  EXPECT_TRUE(child.modal);
  EXPECT_FALSE(owner.input);
  EXPECT_EQ(child.frame, (ScreenRect{100, 100, 300, 200}));  // centred over the owner

  owner.native_focus = false;
  child_->Close(1);
  EXPECT_TRUE(owner.input);  // at once, before the child is gone
  EXPECT_TRUE(owner.native_focus);
  EXPECT_TRUE(child.destroy_requested);
  EXPECT_EQ(child_->close_code(), 1);
  child.FinishDestroy();  // deletes the child
  EXPECT_TRUE(child_gone_);

  child_ = Open(&child_gone_, {0, 0}, window_);
  child_->ShowModalFake(window_);
  EXPECT_FALSE(owner.input);
  delete child_;
  child_ = nullptr;
  EXPECT_TRUE(owner.input);
}

TEST_F(WindowBaseFakeTest, EscapeClosesOnceAndTheWindowGoesWithItsNativeWindow) {
  window_ = Open(&gone_, {100, 100});
  FakeTopLevelHost& host = FakeHostIn(window_->host());
  WindowEvent escape;
  escape.type = WindowEventType::kKeyPress;
  escape.key_code = kKeyEscape;
  host.Send(escape);
  EXPECT_TRUE(window_->IsClosing());
  EXPECT_EQ(window_->close_code(), 0);
  EXPECT_TRUE(host.destroy_requested);
  host.FinishDestroy();
  EXPECT_TRUE(gone_);

  // A close request of the window manager closes too.
  gone_ = false;
  window_ = Open(&gone_, {100, 100});
  FakeHostIn(window_->host()).on_close();
  EXPECT_TRUE(FakeHostIn(window_->host()).destroy_requested);
}

TEST_F(WindowBaseFakeTest, IconIsThePictureAtBothSizes) {
  window_ = Open(&gone_, {100, 100});
  EXPECT_FALSE(window_->SetIcon(L"no-such-picture.png"));
  ASSERT_TRUE(window_->SetIcon(L"device.png"));
  const std::vector<IconPicture>& icon = FakeHostIn(window_->host()).icon;
  ASSERT_EQ(icon.size(), 2u);
  EXPECT_EQ(icon[0].width, 32);
  EXPECT_EQ(icon[1].width, 16);
  ASSERT_EQ(icon[0].argb.size(), 32u * 32);
  ASSERT_EQ(icon[1].argb.size(), 16u * 16);
  auto alpha = [&](int i) { return icon[0].argb[i] >> 24; };
  EXPECT_EQ(alpha(16 * 32 + 16), 0xFFu);  // the panel picture's opaque middle
  int opaque = 0;
  for (int i = 0; i < 32 * 32; ++i) opaque += alpha(i) == 0xFF;
  EXPECT_GT(opaque, 32 * 32 / 8);
  EXPECT_EQ(alpha(0), 0u);  // its transparent corner stays transparent
}

}  // namespace
}  // namespace ui
