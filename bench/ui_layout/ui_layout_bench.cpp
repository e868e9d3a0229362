// Targets: building global.xml and the four layouts <= 20 ms; arranging 250
// device rows <= 1 ms. The repaint figures are for reference.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/text.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tab_box.h"
#include "ui/core/window.h"
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

}  // namespace
