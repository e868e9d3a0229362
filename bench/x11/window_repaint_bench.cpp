// The main window with 250 device rows repainted whole and presented, as a
// full invalidation makes the X11 host do it (paint into the back buffer,
// copy to the window, a round trip so the server's work counts). Target:
// <= 8 ms. Needs $DISPLAY (tools/with-xvfb).
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/x11/x11_display.h"
#include "tests/platform/x11/x11_test_support.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tab_box.h"
#include "ui/controls/window.h"
#include "ui/host/x11_window_host.h"
#include "ui/markup/layout_builder.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace {

constexpr int kRows = 250;

void BM_RepaintMainWindowWith250Rows(benchmark::State& state) {
  std::unique_ptr<platform::x11::Display> display = platform::x11::testing::OpenDisplay();
  if (!display) {
    state.SkipWithError("no X display");
    return;
  }
  ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize());
  ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
  {
    ui::Window window;
    window.SetResourcePath(L"fleet_sync/");
    window.AttachRoot(
        dynamic_cast<ui::Box*>(ui::LayoutBuilder::Create(L"fleet_sync/main.xml", {}, &window)));
    dynamic_cast<ui::TabBox*>(window.FindControl(L"tab"))->SelectItem(1);
    auto* forms = dynamic_cast<ui::ListBox*>(window.FindControl(L"forms"));
    for (int i = 0; i < kRows; ++i) {
      auto* row = new ui::ListContainerElement;
      ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row);
      dynamic_cast<ui::Label*>(row->FindSubControl(L"label_title"))
          ->SetText(L"10.0.0." + std::to_wstring(i + 2));
      dynamic_cast<ui::Label*>(row->FindSubControl(L"label_time"))->SetText(L"12:34:56");
      forms->Add(row);
    }
    ui::WindowOptions options;
    options.bounds = {0, 0, 500, 600};
    std::unique_ptr<ui::X11WindowHost> host = ui::X11WindowHost::Create(*display, window, options);
    host->native_window().Show(false);
    XSync(display->xdisplay(), False);
    const ui::UiSize size = host->GetClientSize();
    for (auto _ : state) {
      window.Invalidate(ui::UiRect{0, 0, size.cx, size.cy});
      host->PaintNow();
      XSync(display->xdisplay(), False);
    }
    state.counters["rows"] = static_cast<double>(forms->GetCount());
  }
  ui::Shutdown();
  ui::ResourcePackage::Close();
}
BENCHMARK(BM_RepaintMainWindowWith250Rows)->Unit(benchmark::kMillisecond);

}  // namespace
