// The device list against simulated panels and Debian's adb on a server of
// its own: rows go through an upgrade and show its progress and outcome.
#include <fstream>
#include <map>
#include <set>

#include "app/config_store.h"
#include "app/device_list.h"
#include "tests/app/rows/rows_fixture.h"
#include "tests/app/temp_data_home.h"
#include "tests/support/adb_test_server.h"
#include "tests/support/simulated_fleet.h"

namespace {

using namespace std::chrono_literals;

class DeviceListEndToEnd : public RowsUiTest {
 protected:
  void SetUp() override {
    RowsUiTest::SetUp();
    options_.log_watchdog_limit = 3s;
    options_.log_watchdog_interval = 200ms;
    controller_ = std::make_unique<DeviceListController>(
        window_.get(), [this](const std::wstring& text) { toasts_.push_back(text); }, options_);
  }
  void TearDown() override {
    controller_->StopAllDevices();
    controller_.reset();
    RowsUiTest::TearDown();
  }

  // Runs the ticks every 100 ms, collecting what each row showed, until
  // every row shows its `final` text or `limit` passes.
  bool TickUntilAll(const std::map<std::wstring, std::wstring>& final_texts,
                    std::chrono::seconds limit) {
    return RunUntil([&] {
      controller_->RefreshRows();
      controller_->RefreshStatusLine();
      size_t done = 0;
      for (size_t i = 0; i < list_->GetCount(); ++i) {
        auto* row = dynamic_cast<DeviceItem*>(list_->GetItemAt(i));
        const std::wstring text = row->state_label()->GetText();
        seen_[row->address()].insert(text);
        done += final_texts.at(row->address()) == text;
      }
      std::this_thread::sleep_for(90ms);
      return done == final_texts.size();
    }, limit);
  }
  bool SeenStartingWith(const std::wstring& address, const std::wstring& prefix) const {
    for (const std::wstring& text : seen_.at(address)) {
      if (text.rfind(prefix, 0) == 0 && text.size() > prefix.size() &&
          text.find(L"s  ...") != std::wstring::npos) {
        return true;
      }
    }
    return false;
  }

  TempDataHome home_;
  fleetsync_test::AdbTestServer adb_;
  fleetsync_test::SimulatedFleet fleet_;
  std::unique_ptr<DeviceListController> controller_;
  std::vector<std::wstring> toasts_;
  std::map<std::wstring, std::set<std::wstring>> seen_;
};

TEST_F(DeviceListEndToEnd, RowsFollowTheirPanelsThroughAnUpgrade) {
  // Slow enough that several ticks see the progress text.
  fleet_.Add("127.0.7.2").Timing(300, 400, 4, 300);
  fleet_.Add("127.0.7.3").ShellV2().Timing(300, 400, 4, 300);
  fleet_.Add("127.0.7.4").Version("1.1.0").FastTiming();
  fleet_.Start();
  const std::string image =
      fleetsync_test::MakeImage(adb_.tmpdir() + "/update.img", "1.1.0", 64 * 1024);
  UpgradeSettings settings;
  settings.update_file = TempDataHome::Wide(image);
  settings.version = L"1.1.0";
  settings.project = L"demo";
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  std::ofstream(home_.data_folder() / "ip.txt") << "127.0.7.2\n127.0.7.3\n127.0.7.4\n";

  controller_->RebuildDeviceList();
  ASSERT_TRUE(toasts_.empty());
  ASSERT_EQ(list_->GetCount(), 3u);
  const std::wstring current = L"已经是最新版本：1.1.0";
  ASSERT_TRUE(TickUntilAll({{L"127.0.7.2", current}, {L"127.0.7.3", current},
                            {L"127.0.7.4", current}},
                           60s))
      << fleet_.SimulatorOutput();
  for (const std::wstring address : {L"127.0.7.2", L"127.0.7.3"}) {
    EXPECT_TRUE(SeenStartingWith(address, L"正在升级  1.0.0 => 1.1.0  ")) << address;
    EXPECT_TRUE(seen_[address].count(L"升级结束") != 0) << address;
  }
  EXPECT_EQ(seen_[L"127.0.7.4"].count(L"升级结束"), 0u);
  EXPECT_EQ(fleet_.State("127.0.7.2").upgrades_done, 1);
  EXPECT_EQ(fleet_.State("127.0.7.3").upgrades_done, 1);
  EXPECT_TRUE(fleet_.State("127.0.7.4").pushed.empty());

  // Every panel is current and connected; a stop empties the list at once
  // and leaves another program's session on the same adb server running.
  controller_->RefreshStatusLine();
  const DeviceCounts counts = controller_->CountDevices(TickCountMilliseconds());
  EXPECT_EQ(counts.upgrading, 0);
  EXPECT_EQ(counts.unreachable, 0);
  const std::string serial = fleetsync_test::SimulatedFleet::Serial("127.0.7.4");
  auto other_session = adb_.AdbInBackground({"-s", serial, "shell", "logcat"});
  ASSERT_TRUE(other_session->WaitForOutput("boot completed", 30s)) << other_session->OutputSoFar();
  controller_->StopAllDevices();
  EXPECT_EQ(list_->GetCount(), 0u);
  // The panel logs a line after the stop: the other session still shows it.
  EXPECT_EQ(adb_.Adb({"-s", serial, "shell", "setprop", "ctl.restart", "qnhmi"}).exit_code, 0);
  EXPECT_TRUE(other_session->WaitForOutput("Starting service 'qnhmi'", 30s)) << other_session->OutputSoFar();
}

}  // namespace
