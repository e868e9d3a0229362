// Test fixture: the real fleetsync program under the test's X server, with a
// private data folder, adb server and simulated fleet, watched from outside
// through the screen (ScreenProbe) and compared with the layouts drawn off
// screen (ExpectedMainWindow).
//
// The program is a copy of the built binary in a folder of its own, beside a
// stand-in updater that records the argument it is given.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/app/temp_data_home.h"
#include "tests/app/window/expected_window.h"
#include "tests/app/window/screen_probe.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/child_process.h"
#include "tests/support/simulated_fleet.h"

namespace fleetsync_test {

class ProgramTest : public ::testing::Test {
 protected:
  static constexpr auto kPoll = std::chrono::milliseconds(200);

  void SetUp() override;
  void TearDown() override;

  // settings.ini and ip.txt of the program's data folder.
  void WriteConfiguration(const std::string& image, const std::string& version,
                          const std::string& project, const std::vector<std::string>& addresses);
  void StartProgram();
  // Waits until the main window is on the screen and painted (its status
  // line shows the counts 0, 0, 0); false on time-out.
  bool WaitForMainWindow(std::chrono::milliseconds limit = std::chrono::seconds(30));
  // Clicks 设置, waits for the settings window and clicks its 保存.
  void OpenSettingsAndSave();
  // The main window's pixels now.
  Screenshot GrabMain();
  // Screen point of a control's centre.
  bool ClickControl(const std::wstring& name);

  // Whether the main window shows `expected` where `rect` is.
  bool Shows(const Screenshot& shot, const ui::UiRect& rect, const Screenshot& expected) const;
  Screenshot ExpectedStatus(int connected, int upgrading, int unreachable);
  // The left part of row `row`'s state label with `state`.
  ui::UiRect StateTextRect(int row) const;
  Screenshot ExpectedState(int row, const std::wstring& title, const std::wstring& state,
                           bool red);

  // Polls `condition` every kPoll until it holds or `limit` passes.
  static bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);
  // Saves `shot` under $FLEETSYNC_SCREENSHOT_DIR (when set) as NAME.png.
  static void KeepScreenshot(const Screenshot& shot, const std::string& name);
  // Processes named adb that belong to this test's adb server port.
  std::vector<int> OwnAdbProcesses() const;

  TempDataHome home_;
  AdbTestServer adb_;
  SimulatedFleet fleet_;
  std::unique_ptr<ScreenProbe> probe_;
  std::unique_ptr<ExpectedMainWindow> expected_;
  std::filesystem::path program_folder_;
  std::filesystem::path updater_record_;
  std::unique_ptr<BackgroundProcess> program_;
  ScreenRect main_;
  int rows_ = 0;  // rows of the off-screen window
};

}  // namespace fleetsync_test
