// The real program under Xvfb with Debian's adb and simulated panels, driven
// like a user would: start, save the settings, watch the rows upgrade, close.
// Also the ways it ends: a stop signal, and no display at all.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
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
std::wstring Title(int last) { return Utf8ToUtf16(Address(last) + " "); }

class ProgramUpgradeTest : public ProgramTest {
 protected:
  void SetUp() override {
    rows_ = 20;
    ProgramTest::SetUp();
  }
};

// 20 panels on 127.0.9.2 .. 127.0.9.21. The unreachable ones sort last once
// the others have connected; .10 comes first in the text order the rows are
// created in, so its move shows the re-sort.
TEST_F(ProgramUpgradeTest, SavingStartsTheFleetAndRowsFollowTheirPanels) {
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
  Screenshot start = GrabMain();
  KeepScreenshot(start, "main-start");
  // The comparison tells one digit from another.
  EXPECT_FALSE(Shows(start, expected_->ControlRect(L"status_label"), ExpectedStatus(0, 0, 1)));
  // The title names version and build stamp; the list stays empty before a
  // save, and the updater is handed over to on every start.
  expected_->SetText(L"title", FormatString(L"批量升级 %s+%s", L"1.2.1", BuildStamp().c_str()));
  EXPECT_TRUE(Shows(start, expected_->ControlRect(L"title"),
                    expected_->Render(expected_->ControlRect(L"title"))));
  EXPECT_TRUE(PollUntil([&] { return std::filesystem::exists(updater_record_); }, 20s))
      << "the updater was not started";
  std::ifstream record(updater_record_);
  std::string argument((std::istreambuf_iterator<char>(record)), std::istreambuf_iterator<char>());
  EXPECT_EQ(argument,
            R"({"title":"Lumora 批量升级工具","app_name":"fleetsync","current_version":"1.2.1"})");

  OpenSettingsAndSave();

  // Mid-upgrade: the first row is the lowest connected address, counting up
  // the seconds of its upgrade.
  std::vector<Screenshot> progress;
  for (int seconds = 1; seconds <= 40; ++seconds) {
    progress.push_back(ExpectedState(
        0, Title(2), FormatString(L"正在升级  1.0.0 => 1.2.0  %ds  ...", seconds), false));
  }
  Screenshot mid(0, 0);
  ASSERT_TRUE(PollUntil([&] {
    mid = GrabMain();
    for (const Screenshot& expected : progress) {
      if (Shows(mid, StateTextRect(0), expected)) return true;
    }
    return false;
  }, 60s)) << "no upgrade progress in the first row";
  KeepScreenshot(mid, "main-mid-upgrade");

  // The end: outdated and current panels at the target version, the wrong
  // project named, the failing push red; the counts as the fleet stands.
  const std::map<int, std::wstring> final_texts = {
      {2, L"已经是最新版本：1.2.0"}, {4, L"已经是最新版本：1.2.0"},
      {5, L"项目名不匹配：OTHER"},   {7, L"已经是最新版本：1.2.0"},
      {8, L"已经是最新版本：1.2.0"}, {9, L"已经是最新版本：1.2.0"}};
  // Visible rows in order: .2 .3 .4 .5 .6 .7 .8 .9 (.10 went to the bottom).
  const std::vector<int> visible = {2, 3, 4, 5, 6, 7, 8, 9};
  std::map<int, Screenshot> expected_final;
  for (size_t row = 0; row < visible.size(); ++row) {
    const auto text = final_texts.find(visible[row]);
    if (text != final_texts.end()) {
      expected_final.emplace(visible[row], ExpectedState(row, Title(visible[row]), text->second, false));
    }
  }
  // Connected rows first, in numeric order: the titles of the visible rows.
  std::vector<Screenshot> expected_titles;
  for (size_t row = 0; row < visible.size(); ++row) {
    expected_->SetRow(row, Title(visible[row]), true, L"", false);
    expected_titles.push_back(expected_->Render(expected_->RowControlRect(row, L"label_title")));
  }
  std::vector<Screenshot> final_status;
  for (int connected = 15; connected <= 17; ++connected) {
    for (int upgrading = 0; upgrading <= 2; ++upgrading) {
      final_status.push_back(ExpectedStatus(connected, upgrading, 3));
    }
  }
  const ui::UiRect status_rect = expected_->ControlRect(L"status_label");
  Screenshot end(0, 0);
  std::string missing;
  const bool settled = PollUntil([&] {
    end = GrabMain();
    missing.clear();
    for (size_t row = 0; row < visible.size(); ++row) {
      const auto expected = expected_final.find(visible[row]);
      if (expected != expected_final.end() && !Shows(end, StateTextRect(row), expected->second)) {
        missing += " row " + std::to_string(row) + " (" + Address(visible[row]) + ")";
      }
    }
    for (size_t row = 0; row < visible.size(); ++row) {
      if (!Shows(end, expected_->RowControlRect(row, L"label_title"), expected_titles[row])) {
        missing += " title of row " + std::to_string(row);
      }
    }
    if (CountColour(end, expected_->RowControlRect(1, L"label_state"), kRed) < 20) {
      missing += " red row 1";
    }
    bool status = false;
    for (const Screenshot& expected : final_status) status = status || Shows(end, status_rect, expected);
    if (!status) missing += " status line";
    return missing.empty();
  }, 90s);
  KeepScreenshot(end, "main-end");
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
  EXPECT_EQ(CountColour(end, expected_->RowControlRect(0, L"label_state"), kRed), 0);

  ASSERT_TRUE(ClickControl(L"closebtn"));
  const ProcessResult result = program_->Wait(60s);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_EQ(OwnAdbProcesses().size(), 1u);  // only the adb server, which stays for other users

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

// 250 rows, every panel in the middle of a long upgrade (each worker blocked
// following its panel's log): Escape still ends every worker and every adb
// child (the adb server stays), and the program exits with 0.
TEST_F(ProgramTest, ClosingMidUpgradeWithManyRowsEndsEverything) {
  constexpr int kPanels = 250;
  std::vector<std::string> addresses;
  for (int i = 1; i <= kPanels; ++i) {
    const std::string address = "127.0.10." + std::to_string(i);
    fleet_.Add(address).Project(kProject).Version("1.0.0").Timing(300, 60000, 10, 1000);
    addresses.push_back(address);
  }
  fleet_.Start(60s);
  const std::string image = MakeImage(home_.root() / "update.img", kTarget, 64 * 1024);
  WriteConfiguration(image, kTarget, kProject, addresses);
  StartProgram();
  ASSERT_TRUE(WaitForMainWindow()) << program_->OutputSoFar();
  OpenSettingsAndSave();
  for (const std::string& address : addresses) {
    ASSERT_TRUE(fleet_.WaitFor(address, [](const PanelState& s) { return s.upgrading; }, 180s))
        << address << " never started its upgrade";
  }
  // Every worker follows its panel's log: one adb client each, and the server.
  ASSERT_TRUE(PollUntil([&] { return OwnAdbProcesses().size() > kPanels; }, 120s))
      << OwnAdbProcesses().size() << " adb processes";
  KeepScreenshot(GrabMain(), "main-250-upgrading");

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ScreenProbe::PressKey("Escape"));
  const ProcessResult result = program_->Wait(60s);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::printf("closing with %d rows mid-upgrade took %lld ms\n", kPanels,
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0) << result.output.substr(0, 2000);
  EXPECT_EQ(OwnAdbProcesses().size(), 1u);  // only the adb server, which stays for other users
}

// A configuration the rebuild refuses is shown as a toast over the main
// window, and the list stays empty.
TEST_F(ProgramTest, SavingWithoutAnUpdateFileToastsAndKeepsTheListEmpty) {
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
  EXPECT_TRUE(Shows(GrabMain(), expected_->ControlRect(L"status_label"), ExpectedStatus(0, 0, 0)));
  EXPECT_TRUE(OwnAdbProcesses().size() <= 1);  // at most the test's own server
  program_->Signal(SIGTERM);
  EXPECT_EQ(program_->Wait(30s).exit_code, 0);
}

TEST_F(ProgramTest, StopSignalEndsTheProgramLikeAClose) {
  StartProgram();
  ASSERT_TRUE(WaitForMainWindow()) << program_->OutputSoFar();
  program_->Signal(SIGTERM);
  const ProcessResult result = program_->Wait(30s);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_FALSE(probe_->FindWindow("批量升级").has_value());
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
