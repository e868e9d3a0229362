// Target: opening the embedded theme and reading global.xml plus the four
// layouts of the program takes at most 20 ms in total.
#include <benchmark/benchmark.h>

#include <string>

#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"

namespace {

const wchar_t* const kStartupFiles[] = {
    L"resources/themes/default/global.xml",
    L"resources/themes/default/fleet_sync/main.xml",
    L"resources/themes/default/fleet_sync/device_item.xml",
    L"resources/themes/default/fleet_sync/settings.xml",
    L"resources/themes/default/custom_toast/toast.xml",
};

void BM_OpenThemeAndReadLayouts(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    if (!ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize(), "")) {
      state.SkipWithError("theme archive does not open");
      return;
    }
    for (const wchar_t* path : kStartupFiles) {
      std::string data;
      if (!ui::ResourcePackage::GetData(path, data)) {
        state.SkipWithError("layout missing from the theme archive");
        return;
      }
      bytes += data.size();
      benchmark::DoNotOptimize(data.data());
    }
    ui::ResourcePackage::Close();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["target_ms"] = 20;
}
BENCHMARK(BM_OpenThemeAndReadLayouts)->Unit(benchmark::kMillisecond);

}  // namespace
