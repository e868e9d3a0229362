// Targets: building global.xml and the four layouts <= 20 ms; arranging 250
// device rows <= 1 ms; painting the main window with 250 rows <= 8 ms; a
// hover move from one row to the next repaints those two rows and nothing
// else (counters rows_painted and painted_px per move).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/text.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tab_box.h"
#include "ui/controls/window.h"
#include "ui/core/window_host.h"
#include "ui/window/input_router.h"
#include "ui/markup/layout_builder.h"
#include "ui/render/render_context.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace {

constexpr int kRows = 250;

void StartTheme() {
  ui::Shutdown();
  ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize());
  ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
}

std::unique_ptr<ui::Window> LoadWindow(const std::wstring& folder, const std::wstring& file) {
  auto window = std::make_unique<ui::Window>();
  window->SetResourcePath(folder);
  if (auto* root = dynamic_cast<ui::Box*>(ui::LayoutBuilder::Create(folder + file, {}, window.get()))) {
    window->AttachRoot(root);
  }
  return window;
}

// The main window with its device list filled and page 1 shown.
struct MainWindow {
  std::unique_ptr<ui::Window> window = LoadWindow(L"fleet_sync/", L"main.xml");
  ui::ListBox* forms = nullptr;

  MainWindow() {
    dynamic_cast<ui::TabBox*>(window->FindControl(L"tab"))->SelectItem(1);
    forms = dynamic_cast<ui::ListBox*>(window->FindControl(L"forms"));
    for (int i = 0; i < kRows; ++i) {
      auto* row = new ui::ListContainerElement;
      ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row);
      dynamic_cast<ui::Label*>(row->FindSubControl(L"label_title"))
          ->SetText(L"10.0." + std::to_wstring(i / 200) + L"." + std::to_wstring(i % 200 + 2) + L" ");
      dynamic_cast<ui::Label*>(row->FindSubControl(L"label_time"))->SetText(L"12:34:56");
      forms->Add(row);
    }
  }
};

void BM_BuildThemeLayouts(benchmark::State& state) {
  for (auto _ : state) {
    StartTheme();  // global.xml and the language file
    ui::LayoutBuilder::ClearDocumentCache();
    auto main = LoadWindow(L"fleet_sync/", L"main.xml");
    auto settings = LoadWindow(L"fleet_sync/", L"settings.xml");
    auto toast = LoadWindow(L"custom_toast/", L"toast.xml");
    ui::ListContainerElement row;
    ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", &row);
    benchmark::DoNotOptimize(row.GetCount());
  }
  ui::Shutdown();
}
BENCHMARK(BM_BuildThemeLayouts)->Unit(benchmark::kMillisecond);

void BM_ArrangeDeviceRows(benchmark::State& state) {
  StartTheme();
  MainWindow main;
  main.window->ArrangeRoot({500, 600});
  for (auto _ : state) {
    main.window->ArrangeRoot({500, 600});
    benchmark::DoNotOptimize(main.forms->GetContentHeight());
  }
  state.counters["rows"] = static_cast<double>(main.forms->GetCount());
  ui::Shutdown();
}
BENCHMARK(BM_ArrangeDeviceRows)->Unit(benchmark::kMicrosecond);

void BM_RepaintDeviceRowsVisible(benchmark::State& state) {
  StartTheme();
  MainWindow main;
  main.window->ArrangeRoot({500, 600});
  ui::RenderContext context(500, 600);
  for (auto _ : state) main.window->Paint(context);
  ui::Shutdown();
}
BENCHMARK(BM_RepaintDeviceRowsVisible)->Unit(benchmark::kMillisecond);

void BM_RepaintAllDeviceRows(benchmark::State& state) {
  StartTheme();
  MainWindow main;
  main.window->ArrangeRoot({500, 600});
  const int height = main.forms->GetContentHeight() + 100;  // every row on screen
  main.window->ArrangeRoot({500, height});
  ui::RenderContext context(500, height);
  for (auto _ : state) main.window->Paint(context);
  state.counters["surface_height"] = height;
  ui::Shutdown();
}
BENCHMARK(BM_RepaintAllDeviceRows)->Unit(benchmark::kMillisecond);

// A native side that only keeps what the router asks for.
class HeadlessHost : public ui::WindowHost {
 public:
  void Invalidate(const ui::UiRect&) override {}
  ui::UiSize GetClientSize() const override { return {500, 600}; }
  void SetCursor(ui::CursorType) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool IsCaptured() const override { return false; }
  bool HasNativeFocus() const override { return true; }
  void SetNativeFocus() override {}
  void ShowTooltip(const ui::UiRect&, const std::wstring&) override {}
  void HideTooltip() override {}
  void PostDestroyQueuedControls() override {}
  uintptr_t GetNativeHandle() const override { return 1; }
};

class NoDelegate : public ui::InputRouterDelegate {
 public:
  void StartHoverTimer() override {}
  void StopHoverTimer() override {}
};

// The pointer moves down the visible rows one row per iteration (and back to
// the top); each move is routed and the dirty part painted, as the host does.
void BM_HoverAcrossDeviceRows(benchmark::State& state) {
  StartTheme();
  MainWindow main;
  HeadlessHost host;
  NoDelegate delegate;
  main.window->SetHost(&host);
  main.window->ArrangeRoot({500, 600});
  ui::InputRouter router(*main.window, delegate);
  ui::RenderContext context(500, 600);
  main.window->Paint(context);
  main.window->TakeDirtyRect();

  const ui::UiRect list = main.forms->GetPos();
  std::vector<ui::UiRect> rows;
  for (size_t i = 0; i < main.forms->GetCount(); ++i) {
    const ui::UiRect row = main.forms->GetItemAt(i)->GetPos();
    if (row.top >= list.top && row.bottom <= list.bottom) rows.push_back(row);
  }
  if (rows.size() < 2) {
    state.SkipWithError("fewer than two rows on screen");
    return;
  }
  size_t next = 0;
  int64_t moves = 0, rows_painted = 0, painted_px = 0;
  ui::WindowEvent motion;
  motion.type = ui::WindowEventType::kMotion;
  for (auto _ : state) {
    const ui::UiRect& target = rows[next];
    next = (next + 1) % rows.size();
    motion.point = {(target.left + target.right) / 2, (target.top + target.bottom) / 2};
    router.Route(motion);
    ++moves;
    for (const ui::UiRect& dirty : main.window->TakeDirtyRegion()) {
      main.window->Paint(context, dirty);
      painted_px += int64_t{dirty.Width()} * dirty.Height();
      for (const ui::UiRect& row : rows) rows_painted += row.Intersects(dirty) ? 1 : 0;
    }
  }
  if (moves > 0) {
    // Rows the painted rectangles touched, per move.
    state.counters["rows_painted"] = static_cast<double>(rows_painted) / moves;
    state.counters["painted_px"] = static_cast<double>(painted_px) / moves;
  }
  state.counters["rows_on_screen"] = static_cast<double>(rows.size());
  state.counters["window_px"] = 500.0 * 600.0;
  main.window->SetHost(nullptr);
  ui::Shutdown();
}
BENCHMARK(BM_HoverAcrossDeviceRows)->Unit(benchmark::kMicrosecond);

}  // namespace
