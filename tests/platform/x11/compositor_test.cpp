// A compositing manager (xcompmgr) inside the test server. Windows that ask
// for translucency get it, and blend with what lies below, in the window
// host's shadow test and the settings editing test's composited path.
#include <gtest/gtest.h>

#include "platform/x11/native_window.h"
#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::Child;
using testing::PumpUntil;
using testing::RecordingListener;

TEST(CompositorTest, AWindowThatDoesNotAskStaysOpaque) {
  SKIP_WITHOUT_DISPLAY();
  auto display = testing::OpenDisplay();
  ASSERT_NE(display, nullptr);
  {
    Child compositor({"xcompmgr"});
    ASSERT_TRUE(compositor.started());
    ASSERT_TRUE(PumpUntil(*display, [&] { return display->HasCompositor(); }));
    RecordingListener listener;
    WindowOptions options = testing::Options("opaque", "FleetSyncOpaque");
    options.translucent = false;
    auto opaque = NativeWindow::Create(*display, options, &listener);
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->translucent());
  }
  // Later tests expect a server without a compositor.
  EXPECT_TRUE(PumpUntil(*display, [&] { return !display->HasCompositor(); }));
}

}  // namespace
}  // namespace platform::x11
