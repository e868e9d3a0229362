// The translucent path: a compositing manager (xcompmgr) inside the test server.
// How such a window blends with what lies below: the window host's shadow
// test and the toast's test over stripes.
#include <gtest/gtest.h>

#include "platform/x11/native_window.h"
#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::Child;
using testing::PumpUntil;
using testing::RecordingListener;

TEST(CompositorTest, WithACompositorWindowsThatAskUseAnArgbVisual) {
  SKIP_WITHOUT_DISPLAY();
  if (testing::Capture("command -v xcompmgr").empty()) GTEST_SKIP() << "xcompmgr missing";
  auto display = testing::OpenDisplay();
  ASSERT_NE(display, nullptr);
  ASSERT_FALSE(display->HasCompositor());

  {
    Child compositor({"xcompmgr"});
    ASSERT_TRUE(compositor.started());
    ASSERT_TRUE(PumpUntil(*display, [&] { return display->HasCompositor(); }));

    RecordingListener listener;
    WindowOptions options = testing::Options("argb", "FleetSyncArgb");
    auto window = NativeWindow::Create(*display, options, &listener);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->translucent());
    EXPECT_EQ(window->depth(), 32);
    // A window that does not ask for translucency stays opaque.
    WindowOptions opaque_options = testing::Options("opaque", "FleetSyncOpaque");
    opaque_options.translucent = false;
    auto opaque = NativeWindow::Create(*display, opaque_options, &listener);
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->translucent());
  }
  // The compositor has gone: new windows are opaque again.
  EXPECT_TRUE(PumpUntil(*display, [&] { return !display->HasCompositor(); }));
}

}  // namespace
}  // namespace platform::x11
