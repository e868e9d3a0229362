// The real program under Xvfb with Debian's adb and simulated panels, driven
// like a user would: start, save the settings, watch the rows upgrade, close.
// Also the ways it ends: a stop signal, and no display at all.
#include <signal.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "app/build_version.h"
#include "base/text.h"
#include "tests/app/window/program_fixture.h"
#include "tests/support/scoped_env.h"

namespace fleetsync_test {
namespace {

using namespace std::chrono_literals;

constexpr char kTarget[] = "1.2.0";
constexpr char kProject[] = "QN-E2E";
constexpr uint32_t kRed = 0xC63535;

std::string Address(int last) { return "127.0.9." + std::to_string(last); }

// Whether OCR text holds every one of `parts` (blanks and caret-like
// characters ignored).
bool Holds(const std::string& text, const std::vector<const char*>& parts) {
  const std::string clean = CleanOcr(text);
  for (const char* part : parts) {
    if (clean.find(CleanOcr(part)) == std::string::npos) return false;
  }
  return true;
}

// 20 panels on 127.0.9.2 .. 127.0.9.21. The unreachable ones sort last once
// the others have connected; .10 comes first in the text order the rows are
// created in, so its move shows the re-sort.
TEST_F(ProgramTest, SavingStartsTheFleetAndRowsFollowTheirPanels) {
  std::map<int, std::string> kind;
  for (int last = 2; last <= 21; ++last) kind[last] = "outdated";
  for (int last : {4, 11, 12}) kind[last] = "current";
  for (int last : {5, 13}) kind[last] = "wrong project";
  for (int last : {6, 14}) kind[last] = "upgrade fails";
  kind[3] = "push fails";
  for (int last : {10, 20, 21}) kind[last] = "unreachable";
  std::vector<std::string> addresses;
  for (const auto& [last, what] : kind) {
    PanelSpec& panel = fleet_.Add(Address(last)).Project(kProject).Version("1.0.0");
    addresses.push_back(Address(last));
    if (what == "outdated") panel.Timing(300, 700, 5, 500);  // a few seconds of progress
    if (what == "current") panel.Version(kTarget);
    if (what == "wrong project") panel.Project("OTHER");
    if (what == "upgrade fails") panel.UpgradeFails().FastTiming();
    if (what == "push fails") panel.DropPushAfter(64 * 1024);
    if (what == "unreachable") panel.Refuse();
  }
  fleet_.Start();
  const std::string image = MakeImage(home_.root() / "update.img", kTarget, 256 * 1024);
  WriteConfiguration(image, kTarget, kProject, addresses);

  StartProgram();
  ASSERT_TRUE(WaitForMainWindow()) << program_->OutputSoFar();
  KeepScreenshot(GrabMain(), "main-start");
  // The title names version and build stamp; the list stays empty before a
  // save, and the updater is handed over to on every start.
  const std::string stamp = "1.2.1+" + Utf16ToUtf8(BuildStamp());
  EXPECT_TRUE(Holds(ReadMain(TitleRect()), {"批量升级", stamp.c_str()})) << ReadMain(TitleRect());
  EXPECT_TRUE(PollUntil([&] { return std::filesystem::exists(updater_record_); }, 20s))
      << "the updater was not started";
  std::ifstream record(updater_record_);
  std::string argument((std::istreambuf_iterator<char>(record)), std::istreambuf_iterator<char>());
  EXPECT_EQ(argument,
            R"({"title":"Lumora 批量升级工具","app_name":"fleetsync","current_version":"1.2.1"})");

  OpenSettingsAndSave();

  // Mid-upgrade: the first row is the lowest connected address, counting up
  // the seconds of its upgrade.
  ASSERT_TRUE(PollUntil([&] {
    return Holds(ReadMain(RowStateRect(0)), {"正在升级", "1.0.0", "1.2.0"});
  }, 60s)) << "no upgrade progress in the first row: " << ReadMain(RowStateRect(0));
  KeepScreenshot(GrabMain(), "main-mid-upgrade");

  // The end: outdated and current panels at the target version, the wrong
  // project named, the failing push red; the counts as the fleet stands.
  const std::map<int, std::vector<const char*>> final_texts = {
      {2, {"最新版本", "1.2.0"}}, {4, {"最新版本", "1.2.0"}}, {5, {"项目名不匹配", "OTHER"}},
      {7, {"最新版本", "1.2.0"}}, {8, {"最新版本", "1.2.0"}}, {9, {"最新版本", "1.2.0"}}};
  // Visible rows in order: .2 .3 .4 .5 .6 .7 .8 .9 (.10 went to the bottom).
  const std::vector<int> visible = {2, 3, 4, 5, 6, 7, 8, 9};
  ScreenGrab end;
  std::string missing;
  const bool settled = PollUntil([&] {
    missing.clear();
    const std::optional<std::array<int, 3>> counts = ReadStatusCounts();
    if (!counts || (*counts)[0] < 15 || (*counts)[0] > 17 || (*counts)[1] > 2 || (*counts)[2] != 3) {
      missing = "status line \"" + ReadMain(StatusRect()) + "\"";
      return false;
    }
    end = GrabMain();
    if (CountColour(end, RowStateRect(1), kRed) < 20) missing += " red row 1";
    for (size_t row = 0; row < visible.size() && missing.empty(); ++row) {
      // Connected rows first, in numeric order.
      const std::string title = CleanOcr(ReadMain(RowTitleRect(row), OcrLanguage::kLatin));
      if (title != Address(visible[row])) missing += " row " + std::to_string(row) + " titled " + title;
      const auto parts = final_texts.find(visible[row]);
      if (parts == final_texts.end()) continue;
      const std::string state = ReadMain(RowStateRect(row));
      if (!Holds(state, parts->second)) missing += " row " + std::to_string(row) + " reads " + state;
    }
    return missing.empty();
  }, 90s);
  KeepScreenshot(GrabMain(), "main-end");
  ASSERT_TRUE(settled) << "not as expected:" << missing << "\n" << fleet_.SimulatorOutput();

  for (int last : {2, 7, 8, 9, 15, 16, 17, 18, 19}) {
    const PanelState state = fleet_.State(Address(last));
    EXPECT_EQ(state.version, kTarget) << Address(last);
    EXPECT_EQ(state.upgrades_done, 1) << Address(last);
  }
  for (int last : {4, 5, 11, 13}) {
    EXPECT_TRUE(fleet_.State(Address(last)).pushed.empty()) << Address(last);
  }
  // The failing panel's row is drawn red and nothing else in it is.
  EXPECT_EQ(CountColour(end, RowStateRect(0), kRed), 0);

  // The list scrolls to its last row (an unreachable one) by dragging the
  // bar's thumb below the window, and back and forth by keys (the press on
  // the bar gave the list the keyboard).
  auto last_title = [&] { return CleanOcr(ReadMain(LastRowTitleRect(), OcrLanguage::kLatin)); };
  auto first_title = [&] { return CleanOcr(ReadMain(RowTitleRect(0), OcrLanguage::kLatin)); };
  const std::string bar_x = std::to_string(main_.x + 497);
  ASSERT_EQ(RunProcess({"xdotool", "mousemove", bar_x, std::to_string(main_.y + 45), "mousedown", "1",
                        "mousemove", bar_x, std::to_string(main_.y + 300), "mousemove", bar_x,
                        std::to_string(main_.y + 700), "mouseup", "1"},
                       20s).exit_code, 0);
  EXPECT_TRUE(PollUntil([&] { return last_title() == Address(21); }, 10s)) << last_title();
  KeepScreenshot(GrabMain(), "main-dragged");
  ASSERT_TRUE(ScreenProbe::PressKey("Home"));
  EXPECT_TRUE(PollUntil([&] { return first_title() == Address(2); }, 10s)) << first_title();
  ASSERT_TRUE(ScreenProbe::PressKey("End"));
  EXPECT_TRUE(PollUntil([&] { return last_title() == Address(21); }, 10s)) << last_title();

  // Another program's session on the same adb server outlives the close:
  // the panel's next log line still reaches it.
  const std::string serial = SimulatedFleet::Serial(Address(4));
  auto other_session = adb_.AdbInBackground({"-s", serial, "shell", "logcat"});
  ASSERT_TRUE(other_session->WaitForOutput("boot completed", 30s)) << other_session->OutputSoFar();
  ASSERT_TRUE(ClickCloseButton());
  const ProcessResult result = program_->Wait(60s);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_EQ(OwnAdbProcesses().size(), 2u);  // the adb server, which stays, and the other session
  EXPECT_EQ(adb_.Adb({"-s", serial, "shell", "setprop", "ctl.restart", "qnhmi"}).exit_code, 0);
  EXPECT_TRUE(other_session->WaitForOutput("Starting service 'qnhmi'", 30s))
      << other_session->OutputSoFar();

  // The fleet record the program left in its data folder: one "upgraded" line
  // per upgraded panel, and one line in all - not one a pass - for a panel
  // that was current from the start.
  std::ifstream history(home_.data_folder() / "history.csv");
  std::map<std::string, int> lines, upgraded;
  for (std::string line; std::getline(history, line);) {
    const std::string address = line.substr(20, line.find(',', 20) - 20);  // after the time
    ++lines[address];
    upgraded[address] += line.find(",1.0.0,1.2.0,upgraded,升级结束") != std::string::npos;
  }
  for (int last : {2, 7, 8, 9, 15, 16, 17, 18, 19}) {
    EXPECT_EQ(upgraded[Address(last)], 1) << Address(last);
  }
  for (int last : {4, 11, 12}) EXPECT_EQ(lines[Address(last)], 1) << Address(last);
}

// On both paint paths: with a compositor the main window draws its shadow
// and the settings window and the toast are translucent over it.
class ProgramPaintPathTest : public ProgramTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped() || HasFatalFailure() || !GetParam()) return;
    compositor_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{"/usr/bin/xcompmgr"});
    ASSERT_TRUE(PollUntil([&] { return probe_->HasCompositor(); }, 10s));
  }
  std::unique_ptr<BackgroundProcess> compositor_;
};
INSTANTIATE_TEST_SUITE_P(ProgramPaintPaths, ProgramPaintPathTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Composited" : "Plain"; });

// A configuration the rebuild refuses is shown as a toast over the main
// window, and the list stays empty; a stop signal then ends the program.
TEST_P(ProgramPaintPathTest, SavingWithoutAnUpdateFileToastsAndKeepsTheListEmpty) {
  WriteConfiguration((home_.root() / "missing.img").string(), kTarget, kProject, {"127.0.9.40"});
  StartProgram();
  ASSERT_TRUE(WaitForMainWindow()) << program_->OutputSoFar();
  OpenSettingsAndSave();
  std::optional<ScreenRect> toast;
  ASSERT_TRUE(PollUntil([&] { return (toast = probe_->FindWindow("Toast")).has_value(); }, 20s));
  // Centred over the main window.
  EXPECT_NEAR(toast->x + toast->width / 2, main_.x + main_.width / 2, 2);
  EXPECT_NEAR(toast->y + toast->height / 2, main_.y + main_.height / 2, 2);
  KeepScreenshot(probe_->GrabScreen(), "main-toast");
  // The ticks go on and find no rows.
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(ReadStatusCounts(), (std::array<int, 3>{0, 0, 0}));
  EXPECT_TRUE(OwnAdbProcesses().size() <= 1);  // at most the test's own server
  // A stop signal ends the program like a close.
  program_->Signal(SIGTERM);
  EXPECT_EQ(program_->Wait(30s).exit_code, 0);
  EXPECT_FALSE(probe_->FindWindow("批量升级").has_value());
}

// Two quick clicks on 设置 open one settings window. The button lights up
// under the pointer and goes dark again once the window over it takes the
// input, though the pointer stays.
TEST_F(ProgramTest, TwoQuickClicksOnSettingsOpenOneWindowAndTheHoverClears) {
  // An earlier test may have left the pointer where the button will appear.
  ASSERT_TRUE(ScreenProbe::MovePointer(0, 0));
  StartProgram();
  ASSERT_TRUE(WaitForMainWindow()) << program_->OutputSoFar();
  const ScreenGrab band = GrabMain({0, 17, main_.width, 1});
  const auto blue = FindColorSpan(band, 0x2878D4, 24);
  ASSERT_TRUE(blue);
  // A strip along the button's top edge, clear of its text.
  const ScreenRect strip{blue->first + 4, 6, blue->second - blue->first - 8, 3};
  const std::vector<uint32_t> normal = GrabMain(strip).rgb;
  const int x = main_.x + (blue->first + blue->second) / 2;
  ASSERT_TRUE(ScreenProbe::MovePointer(x, main_.y + 17));
  EXPECT_TRUE(PollUntil([&] { return GrabMain(strip).rgb != normal; }, 5s)) << "no hover shown";
  ASSERT_EQ(RunProcess({"xdotool", "click", "--repeat", "2", "--delay", "80", "1"}, 20s).exit_code, 0);
  std::vector<ScreenRect> settings;
  ASSERT_TRUE(PollUntil([&] {
    settings = probe_->FindWindows("Settings");
    return !settings.empty();
  }, 20s));
  EXPECT_TRUE(PollUntil([&] { return GrabMain(strip).rgb == normal; }, 5s)) << "the hover stayed";
  std::this_thread::sleep_for(1s);  // time for a second window to appear
  EXPECT_EQ(probe_->FindWindows("Settings").size(), 1u);
}

// The UI scale follows the screen: 144 dpi, told by the screen's size or by
// Xft.dpi on a 96-dpi screen, draws the 500x600 main window at 150 %.
TEST_F(ProgramTest, TheScaleFollowsTheScreensDpi) {
  struct Case {
    const char* dpi;
    const char* resources;  // RESOURCE_MANAGER of the screen, or none
    int width;
  } cases[] = {{"96", nullptr, 500}, {"144", nullptr, 750}, {"96", "Xft.dpi:\t144\n", 750}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dpi) + " dpi" + (c.resources ? " with Xft.dpi" : ""));
    // A screen of its own; Xvfb picks a free display and prints its number.
    BackgroundProcess xvfb({"Xvfb", "-displayfd", "1", "-screen", "0", "1600x1000x24", "-dpi",
                            c.dpi, "-nolisten", "tcp"});
    std::string number;
    ASSERT_TRUE(PollUntil([&] {
      std::istringstream lines(xvfb.OutputSoFar());
      for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) number = line;
      }
      return !number.empty();
    }, 20s));
    const std::string display = ":" + number;
    ScopedEnv env("DISPLAY", display.c_str());
    std::unique_ptr<ScreenProbe> probe = ScreenProbe::Open();
    ASSERT_NE(probe, nullptr);
    if (c.resources) probe->SetResources(c.resources);
    StartProgram();
    std::optional<ScreenRect> window;
    ASSERT_TRUE(PollUntil([&] { return (window = probe->FindWindow("批量升级")).has_value(); }, 30s));
    EXPECT_EQ(window->width, c.width);
    EXPECT_EQ(window->height, c.width * 6 / 5);
    program_->Signal(SIGTERM);
    EXPECT_EQ(program_->Wait(30s).exit_code, 0);
    program_.reset();
  }
}

TEST_F(ProgramTest, WithoutADisplayItSaysSoAndFails) {
  ScopedEnv display("DISPLAY");
  setenv("DISPLAY", ":9999", 1);
  StartProgram();
  const ProcessResult result = program_->Wait(30s);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.output.find("cannot open the X display"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace fleetsync_test
