// fleetsync-gallery: shows every control of the application's theme in one
// window. `--screenshot FILE` writes the window as a PNG and exits.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ui_message_loop.h"
#include "platform/x11/x11_display.h"
#include "ui/host/x11_window_host.h"
#include "tools/gallery/gallery_window.h"
#include "ui/animation/ui_timers.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

int main(int argc, char** argv) {
  std::string screenshot;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshot = argv[++i];
    } else {
      std::fprintf(stderr, "usage: fleetsync-gallery [--screenshot FILE.png]\n");
      return 2;
    }
  }
  if (!ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize())) {
    std::fprintf(stderr, "fleetsync-gallery: the theme archive cannot be opened\n");
    return 1;
  }
  ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
  int result = 0;
  {
    vbase::UIMessageLoop loop;
    std::unique_ptr<platform::x11::Display> display = platform::x11::Display::Open();
    if (!display) {
      std::fprintf(stderr, "fleetsync-gallery: cannot open the X display\n");
      return 1;
    }
    loop.SetNativeEventSource(display.get());
    {
      ui::UiTimerScope timers;
      ui::X11WindowSystem window_system(*display);
      auto* window = new gallery::GalleryWindow;
      if (!window->Create(window_system, nullptr, L"FleetSync 控件一览")) {
        delete window;
        std::fprintf(stderr, "fleetsync-gallery: the window cannot be created\n");
        result = 1;
      } else if (!screenshot.empty()) {
        result = window->SaveScreenshot(screenshot) ? 0 : 1;
        delete window;
      } else {
        window->CenterWindow();
        window->ShowWindow(true, true);
        loop.Run();  // the window deletes itself once its native window is gone
      }
    }
    loop.SetNativeEventSource(nullptr);
  }
  ui::Shutdown();
  ui::ResourcePackage::Close();
  return result;
}
