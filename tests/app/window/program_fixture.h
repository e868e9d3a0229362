// Test fixture: the real fleetsync program under the test's X server, with a
// private data folder, adb server and simulated fleet, watched from outside
// the way a person sees it: windows found by class, their text read back by
// OCR, colours counted in pixels, places taken from the layouts as written
// (main.xml, device_item.xml at 100 %).
//
// The program is a copy of the built binary in a folder of its own, beside a
// stand-in updater that records the argument it is given.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/app/temp_data_home.h"
#include "tests/app/window/screen_probe.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/child_process.h"
#include "tests/support/simulated_fleet.h"
#include "tests/support/wait_until.h"

namespace fleetsync_test {

class ProgramTest : public ::testing::Test {
 protected:
  static constexpr auto kPoll = std::chrono::milliseconds(200);

  // Places in the main window's frame, as its layouts put them: a 35-pixel
  // title bar, rows of 62 pixels from there (icon 40 at 12, texts from 62),
  // the 25-pixel status line at the bottom of the 500x600 window.
  static ScreenRect TitleRect() { return {8, 0, 300, 35}; }
  static ScreenRect StatusRect() { return {0, 575, 500, 25}; }
  static ScreenRect RowTitleRect(int row) { return {62, 35 + 62 * row + 8, 200, 22}; }
  // The state text, clear of the time at the row's right end.
  static ScreenRect RowStateRect(int row) { return {62, 35 + 62 * row + 34, 260, 20}; }
  // The list ends above a 1-pixel divider and the status line; its scroll
  // bar runs down its right edge.
  static constexpr int kListBottom = 600 - 25 - 1;
  static ScreenRect LastRowTitleRect() { return {62, kListBottom - 62 + 8, 200, 22}; }

  void SetUp() override;
  void TearDown() override;

  // settings.ini and ip.txt of the program's data folder.
  void WriteConfiguration(const std::string& image, const std::string& version,
                          const std::string& project, const std::vector<std::string>& addresses);
  void StartProgram();
  // Waits until the main window is on the screen and painted (its status
  // line reads 0, 0, 0); false on time-out.
  bool WaitForMainWindow(std::chrono::milliseconds limit = std::chrono::seconds(30));
  // Clicks 设置, waits for the settings window and clicks its 保存.
  void OpenSettingsAndSave();
  // The main window's pixels now, or those of a part of it.
  ScreenGrab GrabMain();
  ScreenGrab GrabMain(const ScreenRect& part);
  // The text a part of the main window shows (one line).
  std::string ReadMain(const ScreenRect& part, OcrLanguage language = OcrLanguage::kChinese);
  // The three counts of the status line: connected, upgrading, unreachable.
  std::optional<std::array<int, 3>> ReadStatusCounts();
  // Clicks the blue button of the title bar (设置) or the cross at its end.
  bool ClickSettingsButton();
  bool ClickCloseButton();

  // Polls `condition` every kPoll until it holds or `limit` passes.
  static bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    return WaitUntil(condition, limit, kPoll);
  }
  // Saves `shot` under $FLEETSYNC_SCREENSHOT_DIR (when set) as NAME.png.
  static void KeepScreenshot(const ScreenGrab& shot, const std::string& name);
  // Processes named adb that belong to this test's adb server port.
  std::vector<int> OwnAdbProcesses() const;

  TempDataHome home_;
  AdbTestServer adb_;
  SimulatedFleet fleet_;
  std::unique_ptr<ScreenProbe> probe_;
  std::filesystem::path program_folder_;
  std::filesystem::path updater_record_;
  std::unique_ptr<BackgroundProcess> program_;
  ScreenRect main_;
};

// Pixels of `grab` inside `rect` whose colour is within `tolerance` (per
// channel) of `rgb`.
int CountColour(const ScreenGrab& grab, const ScreenRect& rect, uint32_t rgb, int tolerance = 40);

}  // namespace fleetsync_test
