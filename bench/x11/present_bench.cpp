// Presenting a back buffer: the whole 800 x 600 window against a dirty
// rectangle the size of one list row, each followed by a round trip so the
// server's work is counted.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <cairo.h>


#include <cstdlib>
#include <memory>

#include "platform/x11/native_window.h"
#include "platform/x11/x11_display.h"
#include "tests/platform/x11/x11_test_support.h"

namespace {

using platform::x11::Rect;

struct NoListener : platform::x11::WindowListener {
  void OnWindowEvent(const platform::x11::WindowEvent&) override {}
};

void Present(benchmark::State& state, Rect dirty) {
  std::unique_ptr<platform::x11::Display> display = platform::x11::testing::OpenDisplay();
  if (!display) {
    state.SkipWithError("no X display");
    return;
  }
  NoListener listener;
  platform::x11::WindowOptions options;
  options.bounds = {0, 0, 800, 600};
  auto window = platform::x11::NativeWindow::Create(*display, options, &listener);
  window->Show(false);
  XSync(display->xdisplay(), False);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
  for (auto _ : state) {
    window->Present(surface, dirty);
    XSync(display->xdisplay(), False);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{dirty.width} * dirty.height * 4);
  cairo_surface_destroy(surface);
}

void BM_PresentWholeWindow(benchmark::State& state) { Present(state, {0, 0, 800, 600}); }
void BM_PresentDirtyRow(benchmark::State& state) { Present(state, {20, 200, 760, 40}); }

BENCHMARK(BM_PresentWholeWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentDirtyRow)->Unit(benchmark::kMicrosecond);

}  // namespace
