// Two monitors side by side on a real X server: Xvfb shows only one, so this
// test starts Xorg with the dummy driver, splits its screen into two RandR
// monitors with xrandr, and asks for the work area a window is placed in
// (centring and maximising use it). Skipped without Xorg, its dummy driver
// or root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/x11/x11_display.h"
#include "tests/platform/x11/x11_test_support.h"
#include "tests/support/wait_until.h"

namespace platform::x11 {
namespace {

namespace fs = std::filesystem;

constexpr char kConfig[] = R"(Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "wide"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "2304x800" 150.0 2304 2400 2500 2600 800 810 820 830
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "wide"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 800
    Modes "2304x800"
  EndSubSection
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
)";

TEST(TwoMonitorsTest, WorkAreaIsTheMonitorTheWindowMostlyCovers) {
  if (geteuid() != 0 || !fs::exists("/usr/bin/Xorg") ||
      !fs::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) {
    GTEST_SKIP() << "needs root, Xorg and xserver-xorg-video-dummy";
  }
  int n = 150;
  while (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
         fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
    ++n;
  }
  const std::string name = ":" + std::to_string(n);
  const fs::path dir = fs::temp_directory_path() / ("fleetsync-xorg-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "xorg.conf") << kConfig;
  std::unique_ptr<Display> display;
  {
    testing::Child server({"/usr/bin/Xorg", name, "-config", (dir / "xorg.conf").string(), "-noreset",
                           "-nolisten", "tcp", "-logfile", (dir / "log").string()});
    ASSERT_TRUE(server.started());
    fleetsync_test::WaitUntil([&] { return (display = Display::Open(name.c_str())) || server.Exited(); },
                              std::chrono::seconds(30));
    ASSERT_NE(display, nullptr) << "Xorg did not start; see " << dir / "log";
    const std::string xrandr = "DISPLAY=" + name + " /usr/bin/xrandr ";
    ASSERT_EQ(std::system((xrandr + "--setmonitor left 1280/338x800/211+0+0 DUMMY0").c_str()), 0);
    ASSERT_EQ(std::system((xrandr + "--setmonitor right 1024/270x768/203+1280+0 none").c_str()), 0);

    EXPECT_EQ(display->GetWorkArea(Rect{1500, 100, 300, 200}), (Rect{1280, 0, 1024, 768}));
    EXPECT_EQ(display->GetWorkArea(Rect{100, 100, 300, 200}), (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(display->GetWorkArea(Rect{1100, 100, 400, 200}), (Rect{1280, 0, 1024, 768}))
        << "straddling: the monitor with more of it";
    EXPECT_EQ(display->GetWorkArea(), (Rect{0, 0, 2304, 800})) << "the whole desktop";
    display.reset();
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace platform::x11
