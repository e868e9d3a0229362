// Device rows: pacing of the passes through the UI loop, the wake of a
// deleted row, and what a row shows (a worker's stop is the engine's test).
#include <sys/resource.h>

#include <algorithm>
#include <fstream>

#include "tests/app/rows/rows_fixture.h"
#include "tests/engine/fake_adb.h"
#include "tests/engine/loopback_socket.h"

namespace {

using namespace std::chrono_literals;

int ConnectCalls(const FakeAdb& adb) {
  const auto calls = adb.Calls();
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
    return call.rfind("connect ", 0) == 0;
  }));
}

// Rows whose panel answers the probe on a loopback listener and whose adb is
// the fake one: a pass reads the project name and ends ("项目名不匹配：demo"),
// so every pass is one "connect" call.
class ReachableRowTest : public RowsUiTest {
 protected:
  void SetUp() override {
    RowsUiTest::SetUp();
    settings_.project = L"other";
    options_.probe_port = panel_.port();
  }

  FakeAdb adb_;
  LoopbackSocket panel_{LoopbackSocket::kListening, "127.0.5.2"};
};

TEST_F(ReachableRowTest, FirstPassRunsAtOnceAndTheNextWaitsForTheUiLoop) {
  DeviceItem* row = AddRow(L"127.0.5.2");
  EXPECT_EQ(row->title_label()->GetText(), L"127.0.5.2 ");
  ASSERT_TRUE(WaitWithoutLoop([&] { return ShownState(row) == L"项目名不匹配：demo"; }));
  std::this_thread::sleep_for(1500ms);  // the wake is posted, but the loop does not run
  EXPECT_EQ(ConnectCalls(adb_), 1) << adb_.CallsText();
  EXPECT_TRUE(RunUntil([&] { return ConnectCalls(adb_) >= 2; }, 5s));
}

TEST_F(ReachableRowTest, DeleteRemovesTheRowAfterTheClickAndItsPendingWakeDoesNothing) {
  DeviceItem* row = AddRow(L"127.0.5.2");
  ASSERT_TRUE(WaitWithoutLoop([&] { return ShownState(row) == L"项目名不匹配：demo"; }));
  std::this_thread::sleep_for(100ms);  // the pass has posted its wake
  ASSERT_NE(row->delete_button(), nullptr);
  EXPECT_FALSE(row->delete_button()->IsVisible());
  row->delete_button()->SendEvent(ui::kEventClick);
  EXPECT_EQ(list_->GetCount(), 1u);  // never destroyed inside its own click
  EXPECT_FALSE(row->running());
  const std::wstring shown = row->state_label()->GetText();
  row->Refresh();  // a stopped row keeps what it showed
  EXPECT_EQ(row->state_label()->GetText(), shown);
  ASSERT_TRUE(RunUntil([&] { return list_->GetCount() == 0; }, 2s));
  window_->DestroyQueuedControls();
  RunFor(1500ms);  // the deleted row's wake comes due
  EXPECT_EQ(ConnectCalls(adb_), 1) << adb_.CallsText();
}

// Rows whose panels refuse the probe: no adb runs at all.
class UnreachableRowTest : public RowsUiTest {
 protected:
  void SetUp() override {
    RowsUiTest::SetUp();
    options_.probe_port = refusing_.port();
  }

  LoopbackSocket refusing_{LoopbackSocket::kRefusing, "127.0.5.3"};
};

// The red pass schedules the next, which finds the panel once it answers.
TEST_F(UnreachableRowTest, TitleIsGrayWhileUnreachableAndNormalAfterASuccessfulProbe) {
  FakeAdb adb;
  settings_.project = L"other";
  DeviceItem* row = AddRow(L"127.0.5.3");
  ASSERT_TRUE(WaitWithoutLoop([&] { return ShownState(row) == L"无法连接127.0.5.3"; }));
  EXPECT_EQ(row->state_label()->GetStateTextColor(ui::ControlState::kNormal), L"red");
  EXPECT_FALSE(row->title_label()->IsEnabled());
  EXPECT_EQ(row->title_label()->GetStateTextColor(ui::ControlState::kDisabled), L"gray");

  const int port = refusing_.port();
  refusing_.Close();
  LoopbackSocket panel(LoopbackSocket::kListening, "127.0.5.3", port);
  EXPECT_TRUE(RunUntil([&] { return ShownState(row) == L"项目名不匹配：demo"; }, 5s));
  EXPECT_TRUE(row->title_label()->IsEnabled());
  EXPECT_EQ(row->state_label()->GetStateTextColor(ui::ControlState::kNormal), L"black");
  EXPECT_EQ(row->time_label()->GetText().size(), 8u);  // "hh:mm:ss"
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// No room for another thread's stack: Init reports the failure and the row
// shows why in red (it is listed all the same). (Sanitizers reserve address
// space of their own, so the limit cannot be set under them.)
// Exit code 0 when Init reported the failure and left the row inert, saying why.
int InitWithoutRoomForAThread(const UpgradeSettings& settings, const WorkerOptions& options) {
  auto* row = new DeviceItem;
  ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row);
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit address_space;
  address_space.rlim_cur = static_cast<rlim_t>(pages) * 4096 + 2 * 1024 * 1024;
  address_space.rlim_max = address_space.rlim_cur;
  setrlimit(RLIMIT_AS, &address_space);
  const bool started = row->Init(L"127.0.5.3", settings, options);
  const bool inert = !row->running();
  row->Refresh();
  const bool says_why = row->state_label()->GetText().rfind(L"无法启动升级线程：", 0) == 0 &&
                        row->state_label()->GetStateTextColor(ui::ControlState::kNormal) == L"red";
  ui::Control::Destroy(row);
  return !started && inert && says_why ? 0 : 1;
}

TEST_F(UnreachableRowTest, InitReportsAThreadThatCannotStart) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(InitWithoutRoomForAThread(settings_, options_)),
              ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
