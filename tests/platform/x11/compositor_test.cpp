// The translucent path: a compositing manager (xcompmgr) inside the test server.
#include <gtest/gtest.h>

#include <cairo.h>

#include "platform/x11/native_window.h"
#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::Child;
using testing::PumpUntil;
using testing::RecordingListener;

TEST(CompositorTest, WithACompositorWindowsUseAnArgbVisualAndBlend) {
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
    options.bounds = {500, 400, 100, 100};
    auto window = NativeWindow::Create(*display, options, &listener);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->translucent());
    EXPECT_EQ(window->depth(), 32);
    window->Show(true);
    ASSERT_TRUE(PumpUntil(*display, [&] { return listener.Count(EventType::kExpose) > 0; }));

    // Opaque red left half, fully transparent right half.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 100);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 50, 100);
    cairo_fill(cr);
    cairo_destroy(cr);
    window->Present(surface, {0, 0, 100, 100});

    // The compositor paints asynchronously; the transparent half shows what
    // lies below (not the window's red).
    auto pixel = [&](int x, int y) { return testing::ScreenPixel(*display, x, y); };
    EXPECT_TRUE(PumpUntil(*display, [&] { return pixel(510, 450) == 0xFF0000; }));
    EXPECT_NE(pixel(590, 450), 0xFF0000ul);
    cairo_surface_destroy(surface);

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
