// Targets: one tick of the main window (RefreshRows + RefreshStatusLine) over
// 250 rows <= 2 ms of UI-thread time; resident memory per row <= 1 MiB beyond
// its thread's stack. The rows' panels (127.0.5.1 .. 127.0.5.250) do not
// answer, so each worker runs one pass and waits: no UI loop runs here to
// post the next wake. PATH holds no adb, so nothing else is started.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/config_store.h"
#include "app/device_item.h"
#include "app/device_list.h"
#include "base/text.h"
#include "ui/controls/list_box.h"
#include "ui/core/window.h"
#include "ui/markup/layout_builder.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace {

constexpr int kRows = 250;

long ResidentBytes() {
  long pages_total = 0, pages_resident = 0;
  std::ifstream("/proc/self/statm") >> pages_total >> pages_resident;
  return pages_resident * sysconf(_SC_PAGESIZE);
}

// A private data folder with a valid configuration and 250 addresses, and a
// PATH without adb.
class Environment {
 public:
  Environment() {
    char pattern[] = "/tmp/app-rows-bench-XXXXXX";
    root_ = mkdtemp(pattern);
    std::filesystem::create_directories(root_ / "empty-bin");
    setenv("PATH", (root_ / "empty-bin").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    setenv("HOME", (root_ / "home").c_str(), 1);
    std::ofstream(root_ / "update.img") << "image";
    UpgradeSettings settings;
    settings.update_file = Utf8ToUtf16((root_ / "update.img").string());
    settings.version = L"1.1.0";
    settings.project = L"demo";
    SaveUpgradeSettings(settings);
    std::ofstream list(Utf16ToUtf8(GetAddressListPath()));
    for (int i = 1; i <= kRows; ++i) list << "127.0.5." << i << "\n";
  }
  ~Environment() { std::filesystem::remove_all(root_); }

 private:
  std::filesystem::path root_;
};

struct MainWindow {
  MainWindow() {
    ui::Shutdown();
    ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize());
    ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
    window = std::make_unique<ui::Window>();
    window->SetResourcePath(L"fleet_sync/");
    window->AttachRoot(
        dynamic_cast<ui::Box*>(ui::LayoutBuilder::Create(L"fleet_sync/main.xml", {}, window.get())));
    WorkerOptions options;
    options.write_diagnostic_line = false;
    controller = std::make_unique<DeviceListController>(window.get(), [](const std::wstring&) {},
                                                        options);
  }
  ~MainWindow() {
    controller->StopAllDevices();
    controller.reset();
    window.reset();
    ui::Shutdown();
    ui::ResourcePackage::Close();
  }

  // Builds the rows and waits until every row's first pass has ended.
  bool Start() {
    controller->RebuildDeviceList();
    ui::ListBox* list = controller->forms_list();
    if (list == nullptr || list->GetCount() != kRows) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      size_t done = 0;
      for (size_t i = 0; i < list->GetCount(); ++i) {
        auto* row = dynamic_cast<DeviceItem*>(list->GetItemAt(i));
        row->Refresh();
        done += row->state_label()->GetText().rfind(L"无法连接", 0) == 0;
      }
      if (done == kRows) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  std::unique_ptr<ui::Window> window;
  std::unique_ptr<DeviceListController> controller;
};

void BM_TickOf250Rows(benchmark::State& state) {
  Environment environment;
  MainWindow main;
  if (!main.Start()) {
    state.SkipWithError("rows did not start");
    return;
  }
  for (auto _ : state) {
    main.controller->RefreshRows();
    main.controller->RefreshStatusLine();
  }
}
BENCHMARK(BM_TickOf250Rows)->Unit(benchmark::kMicrosecond);

// A tick in which every row's texts change, as while all panels upgrade (the
// progress text and the clock change every second).
void BM_TickOf250RowsWhoseTextsChange(benchmark::State& state) {
  Environment environment;
  MainWindow main;
  if (!main.Start()) {
    state.SkipWithError("rows did not start");
    return;
  }
  ui::ListBox* list = main.controller->forms_list();
  const StateRecord other{kStateNormal, L"正在升级  1.0.0 => 1.1.0  12s  ...", L"00:00:00"};
  for (auto _ : state) {
    state.PauseTiming();
    for (size_t i = 0; i < list->GetCount(); ++i) {
      dynamic_cast<DeviceItem*>(list->GetItemAt(i))->ApplyState(other);
    }
    state.ResumeTiming();
    main.controller->RefreshRows();
    main.controller->RefreshStatusLine();
  }
}
BENCHMARK(BM_TickOf250RowsWhoseTextsChange)->Unit(benchmark::kMicrosecond);

// For reference: the re-sort of a tick in which a connected flag changed.
void BM_SortOf250Rows(benchmark::State& state) {
  Environment environment;
  MainWindow main;
  if (!main.Start()) {
    state.SkipWithError("rows did not start");
    return;
  }
  ui::ListBox* list = main.controller->forms_list();
  int flip = 0;
  for (auto _ : state) {
    // Alternate which half sorts first, so every sort moves rows.
    for (size_t i = 0; i < list->GetCount(); ++i) {
      dynamic_cast<DeviceItem*>(list->GetItemAt(i))->set_sort_connected((i + flip) % 2 == 0);
    }
    ++flip;
    list->SortItems(CompareDeviceRows, 0);
  }
}
BENCHMARK(BM_SortOf250Rows)->Unit(benchmark::kMicrosecond);

// Resident memory the rows add, per row (their threads' touched stack pages
// included, so the figure is an upper bound for "beyond the stack").
void BM_ResidentMemoryPerRow(benchmark::State& state) {
  Environment environment;
  for (auto _ : state) {
    MainWindow main;
    const long before = ResidentBytes();
    if (!main.Start()) {
      state.SkipWithError("rows did not start");
      return;
    }
    main.controller->RefreshRows();
    const long after = ResidentBytes();
    state.counters["KiB_per_row"] = static_cast<double>(after - before) / kRows / 1024.0;
  }
}
BENCHMARK(BM_ResidentMemoryPerRow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
